// torvane-engine-probe <library>: tries a solver engine library in this throw-away process before the
// program loads it into its own. It makes the same four calls as a load, then one solve of a clean
// cube. Exit status 0: the library is an engine and survived; 1: it is no engine; 2: wrong arguments.
// A crash shows as a signal to the program that started it, a hang as its time limit running out.
#include "engines/Engines.h"

#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    // A crash here is an expected answer, not worth a core file.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);

    if (LoadEngine(argv[1], 0) != 0) {
        _exit(1);
    }
    EngineCount = 1;
    TRubikCube cube(1);
    cube.Clean();
    std::vector<std::string> solution;
    SolveCube(0, cube, solution); // whatever the answer: only surviving it counts
    // No exit handlers: neither the engine's nor a leak checker's may change the verdict.
    _exit(0);
}
