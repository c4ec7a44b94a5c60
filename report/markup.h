// Escaping of names for the HTML and SVG writers (which format with strFormat,
// common/text.h).
#pragma once

#include <string>

#include "common/text.h"

// text made safe for HTML and XML content and attribute values: & < > " ' are
// written as entities, and bytes that are not valid UTF-8, or control
// characters that XML does not allow, become U+FFFD.
std::string escapeMarkup(const std::string& text);
