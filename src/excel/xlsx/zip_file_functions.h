// minizip's file functions with names opened through the system layer.
#pragma once

#include <minizip/ioapi.h>

// minizip's own functions hand a name to fopen, which reads it in the ANSI code page on
// Windows; these take it as UTF-8 everywhere. Pass the result to zipOpen2_64 or unzOpen2_64.
zlib_filefunc64_def utf8_zip_file_functions();
