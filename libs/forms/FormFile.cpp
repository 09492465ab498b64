// Forms model (libs/forms/FormFile.h).
