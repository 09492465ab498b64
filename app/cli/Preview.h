#pragma once
// `preview`: pictures of the forms of a forms file, for people who would rather look than
// read. One SVG per form (form-1.svg, form-2.svg, ...) and an index.html that shows them
// all, written into a folder.
#include <string>

// Writes the preview of the forms file at fmfPath into folder (made when missing), its texts
// placed with the installed text measurer. False with a reason in error when the file
// cannot be read or a picture cannot be written.
bool WriteFormsPreview(const std::string& fmfPath, const std::string& folder, std::string& error);

class CDEForm;
class ITextMeasurer;
// The SVG picture of one form: its texts in their fonts at their rectangles, its fields as
// boxes with their labels, its rosters as grids with column headings. measurer gives the
// fonts' ascents: the one the form was laid out with.
std::string FormToSvg(const CDEForm& form, ITextMeasurer& measurer);
