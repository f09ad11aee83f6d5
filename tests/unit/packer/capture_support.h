// Messages shown through MessageBoxFormat during a packer test.
#pragma once

#include <string>
#include <vector>

extern std::vector<std::string> CapturedMessages;
