// Text functions of the HTML and SVG writers: escaping of names and printf-style
// formatting into strings.
#pragma once

#include <string>

// text made safe for HTML and XML content and attribute values: & < > " ' are
// written as entities, and bytes that are not valid UTF-8, or control
// characters that XML does not allow, become U+FFFD.
std::string escapeMarkup(const std::string& text);

// printf into a string.
std::string strFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
