// The player's own version, compiled into each program: the second build announces the next one. Both texts
// come from the project version in CMakeLists.txt.
#include "player/update/version.h"

#ifdef TRRADIO_VERSION_1_1
extern const char kOwnVersion[] = TRRADIO_SECOND_VERSION_TEXT;
#else
extern const char kOwnVersion[] = TRRADIO_FIRST_VERSION_TEXT;
#endif
