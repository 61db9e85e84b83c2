// The score board's list phrases.
#include "game/menus/list_text.h"

std::string join_numbers(const std::vector<std::int32_t>& numbers, const std::string& separator,
                         const std::string& last_word) {
  const std::size_t n = numbers.size();
  std::string text;
  for (std::size_t i = 0; i < n; ++i) {
    text += std::to_string(numbers[i]);
    if (n == 2 && i == 0)
      text += ' ';
    else if (i + 1 < n)
      text += separator + ' ';
    if (i + 2 == n) text += last_word + ' ';
  }
  return text;
}

std::string list_text(const std::vector<std::int32_t>& numbers, const std::string& singular,
                      const std::string& plural, const std::string& article) {
  const std::size_t n = numbers.size();
  std::string text = n < 2 ? article : plural;
  text += ' ' + join_numbers(numbers, ",", "and");
  if (n == 1) text += ' ' + singular;
  return text;
}
