// HTML text builders.
#include "net/html.h"

namespace {

std::string option_lines(const std::vector<std::string>& options, const std::string& selected) {
  std::string lines;
  for (const std::string& o : options) {
    lines += "\t<option value=\"" + o + "\"";
    if (o == selected) lines += " selected";
    lines += ">" + o + "</option>\n";
  }
  return lines;
}

}  // namespace

HTMLTag::HTMLTag(std::string contents, std::string tag, std::string suffix)
    : contents_(std::move(contents)), tag_(std::move(tag)), suffix_(std::move(suffix)) {}

HTMLTag::HTMLTag(const std::string& contents, std::string tag, const HTMLAttributes& attributes,
                 std::string suffix)
    : contents_(contents),
      tag_(std::move(tag)),
      suffix_(std::move(suffix)),
      attributes_(attributes) {}

HTMLTag::HTMLTag(std::string contents, std::string tag,
                 const std::vector<std::array<const char*, 2>>& attributes, std::string suffix)
    : contents_(std::move(contents)), tag_(std::move(tag)), suffix_(std::move(suffix)) {
  for (const auto& [name, value] : attributes) attributes_[name ? name : ""] = value ? value : "";
}

std::string HTMLTag::render() const {
  const std::string open = brackets_.substr(0, 1);
  const std::string close = brackets_.size() > 1 ? brackets_.substr(1, 1) : std::string();
  std::string text = open + tag_;
  for (const auto& [name, value] : attributes_) text += " " + name + "=\"" + value + "\"";
  text += close + contents_ + open + closing_mark_ + tag_ + close + suffix_;
  return text;
}

HTMLLink::HTMLLink(std::string href, std::string text)
    : HTMLLink(std::move(href), std::move(text), HTMLAttributes()) {}

HTMLLink::HTMLLink(std::string href, std::string text, HTMLAttributes attributes) {
  attributes["href"] = std::move(href);
  HTMLTag::operator=(HTMLTag(text, "a", attributes, "\n"));
}

HTMLList::HTMLList(const std::vector<std::string>& options, HTMLAttributes attributes,
                   std::string name, const std::string& selected, bool submit) {
  attributes["name"] = std::move(name);
  if (submit) attributes["onchange"] = "this.form.submit()";
  HTMLTag::operator=(HTMLTag(option_lines(options, selected), "select", attributes, "\n"));
}

HTMLList::HTMLList(const std::vector<std::string>& options, std::string name,
                   const std::string& selected, bool submit)
    : HTMLList(options, HTMLAttributes(), std::move(name), selected, submit) {}

int HTMLPage::init_html() {
  body_attributes_["bgcolor"] = "#000000";
  body_attributes_["color"] = "#ffffff";
  return 0;
}

void HTMLPage::stylesheet(const std::string& text, bool append) {
  if (append)
    stylesheet_ += text;
  else
    stylesheet_ = text;
}

void HTMLPage::set_body_html(std::string text) {
  body_ = std::move(text);
}

std::string HTMLPage::head_html(bool wrap) const {
  std::string text;
  if (!stylesheet_.empty()) text += HTMLTag(stylesheet_, "style", "\n").render();
  return wrap ? HTMLTag(text, "head", head_attributes_, "\n").render() : text;
}

std::string HTMLPage::body_html(bool wrap) const {
  return wrap ? HTMLTag(body_, "body", body_attributes_, "\n").render() : body_;
}

std::string HTMLPage::main_html(bool wrap) const {
  const std::string text = head_html(true) + body_html(true);
  return wrap ? HTMLTag(text, "html", "\n").render() : text;
}
