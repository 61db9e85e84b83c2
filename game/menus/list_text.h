// English phrases for lists of ball numbers, as the score board writes them
// ("the 8 ball", "balls 3 and 5", "balls 2, 9, and 15").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The numbers in decimal: two joined by " <last_word> ", more by
// "<separator> " with "<last_word> " before the last one (the separator
// stays before it); one alone; none gives "".
std::string join_numbers(const std::vector<std::int32_t>& numbers, const std::string& separator,
                         const std::string& last_word);

// The article (fewer than two numbers) or the plural noun, a blank and the
// numbers joined with "," and "and"; a single number is followed by a blank
// and the singular noun. An empty list gives the article and a blank.
std::string list_text(const std::vector<std::int32_t>& numbers, const std::string& singular,
                      const std::string& plural, const std::string& article);
