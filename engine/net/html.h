// Builders of HTML text: an element, a link, a drop-down list and a page. They
// escape nothing: contents and attribute values are written as given.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

using HTMLAttributes = std::map<std::string, std::string>;

// An element: opener, tag, attributes in name order, closer, contents, the
// closing tag and a suffix after it.
class HTMLTag {
 public:
  HTMLTag() = default;
  HTMLTag(std::string contents, std::string tag, std::string suffix);
  HTMLTag(const std::string& contents, std::string tag, const HTMLAttributes& attributes,
          std::string suffix);
  // Name and value pairs in list order; a later pair replaces an earlier one of
  // the same name.
  HTMLTag(std::string contents, std::string tag,
          const std::vector<std::array<const char*, 2>>& attributes, std::string suffix);

  std::string render() const;
  operator std::string() const { return render(); }
  std::string operator()() const { return render(); }

 private:
  std::string contents_ = "&nbsp;";
  std::string tag_ = "html";
  std::string brackets_ = "<>";
  std::string closing_mark_ = "/";
  std::string suffix_ = "\n";
  HTMLAttributes attributes_;
};

// <a href="...">text</a>; the href argument wins over an "href" in the map.
class HTMLLink : public HTMLTag {
 public:
  HTMLLink(std::string href, std::string text);
  HTMLLink(std::string href, std::string text, HTMLAttributes attributes);
};

// A <select> of one option line per option, the selected one (an exact match)
// marked; with `submit`, choosing an option submits the form.
class HTMLList : public HTMLTag {
 public:
  HTMLList(const std::vector<std::string>& options, HTMLAttributes attributes, std::string name,
           const std::string& selected, bool submit);
  HTMLList(const std::vector<std::string>& options, std::string name, const std::string& selected,
           bool submit);
};

// A page of a style sheet, head and body attributes and a body text.
class HTMLPage {
 public:
  // White text on black; always 0.
  int init_html();
  // Appends to the style sheet, or with `append` false replaces it.
  void stylesheet(const std::string& text, bool append);
  void set_body_html(std::string text);

  // The style element (nothing without a style sheet), wrapped in <head> when asked.
  std::string head_html(bool wrap) const;
  // The body text, wrapped in <body> with the body attributes when asked.
  std::string body_html(bool wrap) const;
  // The wrapped head and body, wrapped in <html> when asked.
  std::string main_html(bool wrap) const;

 private:
  HTMLAttributes head_attributes_;
  HTMLAttributes body_attributes_;
  std::string stylesheet_;
  std::string body_;
};
