#pragma once
// Drives the real wizard widgets on the offscreen platform. Settings go to a temporary
// folder under a test organization; messages go to a RecordingHost.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>

#include "RecordingHost.h"
#include "app/wizard/ChoicePages.h"
#include "app/wizard/ConvertSheet.h"
#include "app/wizard/FilePage.h"
#include "app/wizard/WizardStartup.h"
#include "res/StringTable.h"

inline const QString kTestOrganization = QStringLiteral("QuorvaneTest");

// One QApplication for the whole test program, with settings kept in a scratch folder.
class QtTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    settingsDir_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", settingsDir_->path().toUtf8());
    static int argc = 1;
    static char name[] = "wizard_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_->path());
  }
  void TearDown() override {
    app_.reset();
    settingsDir_.reset();
  }

 private:
  std::unique_ptr<QTemporaryDir> settingsDir_;
  std::unique_ptr<QApplication> app_;
};

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedDir_ = std::filesystem::current_path();
    ClearSettings();
  }
  void TearDown() override {
    if (sheet_) sheet_->hide();
    sheet_.reset();
    std::filesystem::current_path(savedDir_);
  }

  static CWizardSettings TestSettings() {
    return CWizardSettings(kTestOrganization, QString::fromUtf8(LoadResString(IDS_APP_TITLE)));
  }
  static void ClearSettings() {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, kTestOrganization,
                       QString::fromUtf8(LoadResString(IDS_APP_TITLE)));
    settings.clear();
    settings.sync();
  }

  // A new sheet, shown and active, on its first page.
  CConvertSheet& Open() {
    if (sheet_) sheet_->hide();
    sheet_ = CreateConvertSheet(host_, kTestOrganization);
    sheet_->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(sheet_.get()));
    return *sheet_;
  }

  void Click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << button->text().toStdString();
    // Radio buttons answer clicks on their circle and text only, not the whole width.
    const QPoint where = qobject_cast<QRadioButton*>(button)
                             ? QPoint(6, button->height() / 2)
                             : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, where);
  }
  void Next() { Click(sheet_->button(QWizard::NextButton)); }
  void Back() { Click(sheet_->button(QWizard::BackButton)); }
  void Finish() { Click(sheet_->button(QWizard::FinishButton)); }

  CRadioPage& RadioPage(int id) { return *qobject_cast<CRadioPage*>(sheet_->page(id)); }
  CFilePage& FilePage() { return *qobject_cast<CFilePage*>(sheet_->page(IDD_FILE_NAMES)); }
  void Choose(int id, int index) { Click(RadioPage(id).Button(index)); }

  // Opens the wizard and walks to the file names page with the given kind.
  CFilePage& OpenFilePageFor(int kind) {
    Open();
    Choose(IDD_CONVERT, kind < 3 ? 0 : 1);
    Next();
    if (kind < 3) {
      Choose(IDD_ORVA, kind);
    } else {
      Choose(IDD_VESK, kind - 3);
    }
    Next();
    EXPECT_EQ(sheet_->currentId(), IDD_FILE_NAMES);
    return FilePage();
  }

  // Types text into box as a user would, after emptying it.
  static void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
  }

  RecordingHost host_;
  std::unique_ptr<CConvertSheet> sheet_;
  std::filesystem::path savedDir_;
};
