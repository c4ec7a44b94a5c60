// Places in report.html that trellis2-annotate fills in later. A slot is a
// pair of HTML comments, empty in the page trellis2 writes:
//
//   <!--trellis2-annotate:KEY--><!--/trellis2-annotate:KEY-->
//
// Annotation replaces what lies between the two comments, so the rest of the
// page is never touched and a second annotation replaces the first. Names in
// the page are escaped, so no text of the data can look like a slot.
#pragma once

#include <functional>
#include <string>

// Keys of the slots of report.html.
namespace slot {
constexpr const char* NAV = "nav";          // end of the list of section links
constexpr const char* SUMMARY = "summary";  // after the list of section links
constexpr const char* HEAD = "head";        // header cells of the complexes table, before the protein columns
constexpr const char* SECTION = "section";  // after the complexes table
// Cells of a complex's row in the complexes table, before the protein columns.
std::string row(unsigned id);
}  // namespace slot

// The empty slot KEY, as trellis2 writes it.
std::string annotationSlot(const std::string& key);

// page with the content of every slot replaced by content(key); true when the
// page holds at least one slot. False with *error (naming the byte offset) when
// a slot is not closed; *out is then unusable.
bool fillAnnotationSlots(const std::string& page,
                         const std::function<std::string(const std::string&)>& content, std::string* out,
                         std::string* error);
