#include "engines/Engines.h"

#include "engines/Probe.h"
#include "model/Notation.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

std::array<EngineRec, MaxEngines> Engines;
int EngineCount = 0;

namespace {

// The trial of our own engine takes about 0.1 s (it reads its tables), and about 2.5 s on a slow
// machine when it has to build them because neither its shipped file nor its cache is there; a
// hanging engine delays the start by this much, once per start.
constexpr std::chrono::milliseconds ProbeTimeLimit{5000};

template <typename Fn>
Fn Export(void* library, const char* name) {
    return reinterpret_cast<Fn>(dlsym(library, name));
}

// The text an engine wrote into a buffer of Size bytes. An engine that wrote no terminator is cut at
// the buffer's last byte instead of being read past it.
std::string BufferText(std::vector<char>& buffer) {
    buffer.back() = '\0';
    return std::string(buffer.data(), std::strlen(buffer.data()));
}

void ReadInfo(EngineRec& engine) {
    std::array<std::vector<char>, InfoBufferSizes.size()> texts;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        texts[k].assign(static_cast<std::size_t>(InfoBufferSizes[k]), '\0');
    }
    engine.fnInfo(texts[0].data(), texts[1].data(), texts[2].data(), texts[3].data(), texts[4].data(),
                  texts[5].data());
    engine.EngineName = BufferText(texts[0]);
    engine.LegalNotice = BufferText(texts[1]);
    engine.Version = BufferText(texts[2]);
    engine.Contact = BufferText(texts[3]);
    engine.WebSite = BufferText(texts[4]);
    engine.EMail = BufferText(texts[5]);
}

void ReadSupport(EngineRec& engine) {
    engine.SupportedCubes.clear();
    for (int n = 2; n <= 3; ++n) {
        if (engine.fnSupport(n) != 0) {
            engine.SupportedCubes += SizeNames[static_cast<std::size_t>(n - 2)];
            engine.SupportedCubes += ' ';
        }
    }
}

void ReadConstruct(EngineRec& engine) {
    std::vector<char> order(ConstructBufferSize, '\0');
    engine.fnConstruct(order.data());
    // The record keeps six letters; whether they make a face order is checked when the cube is written.
    engine.ConstructString = BufferText(order).substr(0, 6);
}

std::filesystem::path EnginePath(const std::string& FileName, const std::string& Folder) {
    std::filesystem::path path(FileName);
    if (path.is_relative() && !Folder.empty()) {
        path = std::filesystem::path(Folder) / path;
    }
    return path;
}

} // namespace

bool EngineRec::Supports(int N) const {
    return fnSupport != nullptr && fnSupport(N) != 0;
}

int LoadEngine(const std::string& FileName, int Slot, const std::string& Folder) {
    if (FileName.empty() || Slot < 0 || Slot >= MaxEngines) {
        return -1;
    }
    const std::filesystem::path path = EnginePath(FileName, Folder);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return -1;
    }
    // Tried first where a crash or a hang costs nothing; the library gets the same full path there
    // (an engine may look for its data beside its own file).
    if (!Folder.empty() && RunEngineProbe((std::filesystem::path(Folder) / EngineProbeName).string(),
                                          std::filesystem::absolute(path, error).string(),
                                          ProbeTimeLimit) == TProbeVerdict::Failed) {
        return -1;
    }
    // Never closed: the table, and menus built from it, keep pointers into the library.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return -1;
    }
    EngineRec& engine = Engines[static_cast<std::size_t>(Slot)];
    engine = EngineRec{};
    try {
        engine.LibraryFile = FileName;
        engine.fnInfo = Export<TFnRbkInfo>(library, "_fnRbkinfo");
        engine.fnSolve = Export<TFnRbkSolve>(library, "_fnRbksolve");
        engine.fnConstruct = Export<TFnRbkConstruct>(library, "_fnRbkconstruct");
        engine.fnSupport = Export<TFnRbkSupport>(library, "_fnRbksupport");
        if (engine.fnInfo != nullptr) {
            ReadInfo(engine);
        }
        if (engine.fnSupport != nullptr) {
            ReadSupport(engine);
        }
        if (engine.fnConstruct != nullptr) {
            ReadConstruct(engine);
        }
    } catch (...) {
        return -1;
    }
    return engine.fnInfo != nullptr && engine.fnSolve != nullptr ? Slot : -1;
}

void RemoveEngine(int Slot) {
    if (Slot < 0 || Slot >= EngineCount) {
        return;
    }
    std::move(Engines.begin() + Slot + 1, Engines.begin() + EngineCount, Engines.begin() + Slot);
    --EngineCount;
}

TSolveResult SolveCube(int Slot, const TRubikCube& Cube, std::vector<std::string>& SolutionList) {
    if (Slot < 0 || Slot >= EngineCount || Engines[static_cast<std::size_t>(Slot)].fnSolve == nullptr) {
        return TSolveResult::NoEngine;
    }
    const EngineRec& engine = Engines[static_cast<std::size_t>(Slot)];
    if (engine.ConstructString.size() != ColorLetters.size() ||
        !std::is_permutation(engine.ConstructString.begin(), engine.ConstructString.end(),
                             ColorLetters.begin())) {
        return TSolveResult::EngineFailed; // no cube can be written in that order
    }
    // A sticker without colour or a size without facelet text cannot be handed to an engine; that is
    // the user's cube to correct, not the engine's.
    const std::optional<std::string> facelets = Cube.CubeString(engine.ConstructString);
    if (!facelets || facelets->size() >= FaceletBufferSize) {
        return TSolveResult::Invalid;
    }
    std::vector<char> input(FaceletBufferSize, '\0');
    std::copy(facelets->begin(), facelets->end(), input.begin());
    std::vector<char> solution(SolutionBufferSize, '\0');
    std::int32_t result = -1;
    try {
        result = engine.fnSolve(Cube.Size, input.data(), solution.data());
    } catch (...) {
        // Only what unwinds through the engine's C interface; a crash in it ends the program.
        return TSolveResult::EngineFailed;
    }
    if (result < 0) {
        return TSolveResult::Invalid;
    }
    SplitMoves(BufferText(solution), SolutionList);
    return TSolveResult::Solved;
}
