// Whole-file reads, file facts, path parts, UTF-8 and wide-string conversion, and
// the one-line log writer.
#pragma once

#include <istream>
#include <string>
#include <vector>

// n bytes from the stream; bytes it does not deliver stay zero (its state tells).
std::string read_all_str(std::istream& in, unsigned long long n);
// The whole file. *status (when given) becomes 1 for an empty file, 2 when the
// file cannot be opened, 3 when the read fails; it is left alone on success.
std::string read_all_str(std::string path, int* status = nullptr);

// Replaces the file's content with the text so that, whenever the program
// stops, the file holds either its old content or the whole new one: the text
// goes to a temporary file beside it, reaches the disk, and is renamed over it.
// A symbolic link is followed to the file it names and stays a link; the
// file's permission bits are kept. What is no regular file (a device), and a
// writable file in a folder where no temporary can be made, is written into
// where it is (a stop while writing may then leave it cut). 0 when written;
// 1 when the file cannot be written (it is not writable, or a new file
// cannot be made in its folder); 2 when writing fails. On failure through a
// temporary the file is untouched and no temporary is left; one that a
// stopped process left beside the file is removed by the next write.
int replace_file(const std::string& path, const std::string& text);

// Size in bytes; -1 when the path cannot be opened as a file (folders included).
long long file_size(std::string path);
// Whether the path opens for reading as a file; a folder is no file.
bool file_exists(std::string path);

// The parts of a path between separator characters. Empty parts are kept only
// with keep_empty, and never after a final separator. A path that starts with '/'
// keeps one '/' in front of its first part (with keep_empty, the empty first part
// already stands for it).
std::vector<std::string> fileparts(std::string path, std::string separators = "/\\",
                                   bool keep_empty = false);
// The folder of a path with '/' after each part ("" for a bare name; "/" for a
// file at the root of an absolute path).
std::string file_directory(std::string path);

// UTF-8 to wide characters and back; std::range_error on input that cannot convert.
std::wstring string2wstring(const std::string& s);
std::string wstring2string(const std::wstring& s);

// Writes "tag\ttext\n" to the file, appending when asked and the file exists,
// otherwise starting it anew. Nothing happens when the file cannot be opened
// (an empty file name included).
void log(std::string text, std::string tag, std::string file, bool append);
