// The player's own version, compiled into each program: the second build announces itself as 1.1.
#include "player/version.h"

#ifdef TRRADIO_VERSION_1_1
extern const char kOwnVersion[] = "1.1";
#else
extern const char kOwnVersion[] = "1.0";
#endif
