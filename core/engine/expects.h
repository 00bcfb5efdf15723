#pragma once

#include <cstdio>
#include <cstdlib>

// A precondition that callers must never break; checked in every build so a caller that
// breaks it fails loudly in tests instead of corrupting the game.
#define GEMINO_EXPECTS(condition)                                                                  \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: precondition failed: %s\n", __FILE__, __LINE__,           \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
