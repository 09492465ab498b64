#include "orva31/Orva31Messages.h"

#include <cerrno>
#include <cstring>

#include "libs/util/VornString.h"
#include "orva31/ConvertSupport.h"
#include "orva31/DdAccess.h"

namespace orva31 {

namespace {

enum : int {
  IDS_NAME_TOO_LONG = 201,
  IDS_IO_ERROR = 202,  // 202 to 206 follow the access layer's codes -1 to -5
  IDS_CONVERTED = 211,
  IDS_NOT_CONVERTED = 212,
  IDS_RECORD_IO_ERROR = 213,
  IDS_RECORD_NOT_FOUND = 214,
  IDS_ITEM_IO_ERROR = 215,
  IDS_ITEM_NOT_FOUND = 216,
  IDS_OVERLAPS = 217,
  IDS_MORE_THAN_ONE_LEVEL = 260,
  IDS_CANNOT_OPEN_OUTPUT = 261,
  IDS_OUTPUT_IN_USE = 262,
  IDS_SAVE_IO_ERROR = 263,
  IDS_CANNOT_ADD_RECORD = 265,
  IDS_NUMERIC_TOO_LONG = 266,
  IDS_CANNOT_ADD_ITEM = 267,
  IDS_TOO_MANY_VALUE_NAMES = 268,
  IDS_TOO_MANY_VALUES = 269,
  IDS_NAME_TRUNCATED = 270,
  IDS_DECIMAL_CHARACTER = 271,
  IDS_VALUES_NOT_SAVED = 272,
  IDS_SUBITEMS_PROMOTED = 273,
};

Message Plain(const std::string& text) { return Message{text, MB_OK}; }

// A string-table entry with a name in place of its %s.
Message Naming(int id, const std::string& name) {
  CVornString text;
  text.Format(ResText(id), name.c_str());
  return Plain(text);
}

}  // namespace

Message NameTooLong(const std::string& base) { return Naming(IDS_NAME_TOO_LONG, base); }

Message OpenFailed(int rc) {
  const bool known = rc <= DD_IO_ERROR && rc >= DD_IN_USE;
  return Plain(ResText(IDS_IO_ERROR - 1 - (known ? rc : DD_IO_ERROR)));
}

Message RecordUnreadable(int rc, int record) {
  CVornString text;
  text.Format(ResText(rc == DD_IO_ERROR ? IDS_RECORD_IO_ERROR : IDS_RECORD_NOT_FOUND), record);
  return Plain(text);
}

Message ItemUnreadable(int rc, int record, int item, unsigned style) {
  CVornString text;
  text.Format(ResText(rc == DD_IO_ERROR ? IDS_ITEM_IO_ERROR : IDS_ITEM_NOT_FOUND), record, item);
  return Message{text, style};
}

Message SubitemsPromoted() { return Plain(ResText(IDS_SUBITEMS_PROMOTED)); }

Message OverlapsRemoved(const std::string& names) { return Plain(ResText(IDS_OVERLAPS) + names); }

Message ConversionEnded(bool saved, const std::string& saveError) {
  std::string text = ResText(saved ? IDS_CONVERTED : IDS_NOT_CONVERTED);
  if (!saved && !saveError.empty()) text += "\n\n" + saveError;
  return Plain(text);
}

Message TravoUnreadable(const std::string& input, const std::string& why) {
  return Plain("Travo Data Dictionary  " + input + "  could not be read:\n" + why);
}

Message MoreThanOneLevel() { return Plain(ResText(IDS_MORE_THAN_ONE_LEVEL)); }

Message OutputNotCreated(const std::string& output, int reason) {
  Message message = Naming(IDS_CANNOT_OPEN_OUTPUT, output);
  message.text += reason == EAGAIN ? ResText(IDS_OUTPUT_IN_USE) : "\n\n" + std::string(std::strerror(reason));
  return message;
}

Message RecordNotAdded(const std::string& name) { return Naming(IDS_CANNOT_ADD_RECORD, name); }
Message ItemNotAdded(const std::string& name) { return Naming(IDS_CANNOT_ADD_ITEM, name); }
Message TooManyValueNames() { return Plain(ResText(IDS_TOO_MANY_VALUE_NAMES)); }
Message TooManyValues() { return Plain(ResText(IDS_TOO_MANY_VALUES)); }
Message NotSaved(const std::string& why) { return Plain(ResText(IDS_SAVE_IO_ERROR) + ("\n\n" + why)); }
Message NumericTooLong(const std::string& item) { return Naming(IDS_NUMERIC_TOO_LONG, item); }
Message DecimalCharacter(const std::string& item) { return Naming(IDS_DECIMAL_CHARACTER, item); }
Message NameTruncated(const std::string& name) { return Naming(IDS_NAME_TRUNCATED, name); }
Message ValuesNotSaved(const std::string& item) { return Naming(IDS_VALUES_NOT_SAVED, item); }

}  // namespace orva31
