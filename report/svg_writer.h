// A small writer of inline SVG drawings: shapes and text, each optionally with
// a tooltip title.
#pragma once

#include <string>

// Builds one <svg> element. attrs arguments are attribute text written by the
// caller's code (never user data); text and titles are escaped here. The
// drawing keeps its natural size: a page shows it scrolled, not shrunk.
class SvgWriter {
 public:
  // label is the accessible name of the drawing.
  SvgWriter(double width, double height, const std::string& label);

  void line(double x1, double y1, double x2, double y2, const std::string& attrs,
            const std::string& title = "");
  // A quadratic curve from (x1, y1) to (x2, y2) bent towards (cx, cy).
  void curve(double x1, double y1, double cx, double cy, double x2, double y2, const std::string& attrs,
             const std::string& title = "");
  void circle(double cx, double cy, double r, const std::string& attrs, const std::string& title = "");
  void rect(double x, double y, double w, double h, const std::string& attrs, const std::string& title = "");
  void text(double x, double y, const std::string& text, const std::string& attrs,
            const std::string& title = "");
  // Raw markup the caller built from escaped parts, e.g. <g> groups.
  void raw(const std::string& markup) { m_out += markup; }

  // The finished element; the writer must not be used afterwards.
  std::string finish();

 private:
  void element(const std::string& open, const std::string& name, const std::string& title,
               const std::string& content = "");

  std::string m_out;
};
