// Builds the engine's tables and writes them to the file given, so that they ship with the
// program and a new user's first solve reads them instead of building them.
#include "plugins/twophase/Tables.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    try {
        if (!twophase::SaveTables(twophase::BuildTables(), argv[1])) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot build the tables: %s\n", e.what());
        return 1;
    }
    return 0;
}
