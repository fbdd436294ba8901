// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_LUMORA 100
// A strip of 16x16 images; magenta is transparent.
#define IDB_IMAGES 200
