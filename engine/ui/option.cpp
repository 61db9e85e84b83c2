// The one out-of-line member of Option, so its virtual table lives in the library.
#include "ui/option.h"

Option::~Option() = default;
