#include "report/svg_writer.h"

#include "report/markup.h"

SvgWriter::SvgWriter(double width, double height, const std::string& label) {
  m_out = strFormat(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\" "
      "role=\"img\" aria-label=\"",
      width, height, width, height);
  m_out += escapeMarkup(label) + "\" font-family=\"sans-serif\">\n";
}

void SvgWriter::element(const std::string& open, const std::string& name, const std::string& title,
                        const std::string& content) {
  m_out += "<" + name + " " + open;
  if (title.empty() && content.empty()) {
    m_out += "/>\n";
    return;
  }
  m_out += ">";
  if (!title.empty()) m_out += "<title>" + escapeMarkup(title) + "</title>";
  m_out += content + "</" + name + ">\n";
}

void SvgWriter::line(double x1, double y1, double x2, double y2, const std::string& attrs,
                     const std::string& title) {
  element(strFormat("x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" ", x1, y1, x2, y2) + attrs, "line",
          title);
}

void SvgWriter::curve(double x1, double y1, double cx, double cy, double x2, double y2,
                      const std::string& attrs, const std::string& title) {
  element(strFormat("d=\"M%.1f %.1f Q%.1f %.1f %.1f %.1f\" fill=\"none\" ", x1, y1, cx, cy, x2, y2) + attrs,
          "path", title);
}

void SvgWriter::circle(double cx, double cy, double r, const std::string& attrs, const std::string& title) {
  element(strFormat("cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" ", cx, cy, r) + attrs, "circle", title);
}

void SvgWriter::rect(double x, double y, double w, double h, const std::string& attrs,
                     const std::string& title) {
  element(strFormat("x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" ", x, y, w, h) + attrs, "rect",
          title);
}

void SvgWriter::text(double x, double y, const std::string& text, const std::string& attrs,
                     const std::string& title) {
  element(strFormat("x=\"%.1f\" y=\"%.1f\" ", x, y) + attrs, "text", title, escapeMarkup(text));
}

std::string SvgWriter::finish() {
  m_out += "</svg>";
  return std::move(m_out);
}
