// The player's own version text ("1.0", or "1.1" in the second build). Defined once per program.
#pragma once

extern const char kOwnVersion[];
