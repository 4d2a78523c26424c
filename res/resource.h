// Resource numbers shared by txt2csv.rc and the program.
#pragma once

#define TXT2CSV_ICON 1
