#include "WizardTestSupport.h"

// gtest_main runs the tests; this registers the application they share.
static ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);
