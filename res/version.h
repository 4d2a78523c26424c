// The version of the executable's version block.
#pragma once

#define TXT2CSV_VERSION 1, 0, 0, 0
#define TXT2CSV_VERSION_TEXT "1.0.0.0"
