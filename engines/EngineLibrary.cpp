#include "engines/EngineLibrary.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <string.h>
#include <vector>

namespace {

template <typename Fn>
Fn Export(void* library, const char* name) {
    return reinterpret_cast<Fn>(dlsym(library, name));
}

// The text an engine wrote into a buffer. An engine that wrote no terminator is cut at the buffer's
// last byte instead of being read past it.
std::string BufferText(std::vector<char>& buffer) {
    buffer.back() = '\0';
    return std::string(buffer.data(), std::strlen(buffer.data()));
}

} // namespace

bool OpenEngineLibrary(const std::string& Path, EngineRec& Engine, std::string& Reason) {
    // Never closed: the exports are called for as long as the process lives.
    void* library = dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* error = dlerror();
        Reason = std::string("it does not load: ") + (error != nullptr ? error : "unknown error");
        return false;
    }
    Engine.fnInfo = Export<TFnRbkInfo>(library, "_fnRbkinfo");
    Engine.fnSolve = Export<TFnRbkSolve>(library, "_fnRbksolve");
    Engine.fnConstruct = Export<TFnRbkConstruct>(library, "_fnRbkconstruct");
    Engine.fnSupport = Export<TFnRbkSupport>(library, "_fnRbksupport");
    Engine.fnImprove = Export<TFnRbkImprove>(library, "_fnRbkimprove");
    Engine.HasImprove = Engine.fnImprove != nullptr;
    return true;
}

std::array<std::string, 6> CallInfo(const EngineRec& Engine) {
    std::array<std::vector<char>, InfoBufferSizes.size()> buffers;
    for (std::size_t k = 0; k < buffers.size(); ++k) {
        buffers[k].assign(static_cast<std::size_t>(InfoBufferSizes[k]), '\0');
    }
    Engine.fnInfo(buffers[0].data(), buffers[1].data(), buffers[2].data(), buffers[3].data(),
                  buffers[4].data(), buffers[5].data());
    std::array<std::string, 6> texts;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        texts[k] = BufferText(buffers[k]);
    }
    return texts;
}

bool CallSupport(const EngineRec& Engine, std::int32_t N) {
    return Engine.fnSupport(N) != 0;
}

std::string CallConstruct(const EngineRec& Engine) {
    std::vector<char> order(ConstructBufferSize, '\0');
    Engine.fnConstruct(order.data());
    // The record keeps six letters; whether they make a face order is checked when the cube is written.
    return BufferText(order).substr(0, 6);
}

namespace {

std::vector<char> FaceletBuffer(std::string_view Facelets) {
    std::vector<char> input(FaceletBufferSize, '\0');
    std::copy_n(Facelets.begin(), std::min<std::size_t>(Facelets.size(), FaceletBufferSize - 1),
                input.begin());
    return input;
}

using TBetter = std::function<void(std::string, std::int32_t)>;

// The engine's report of a better answer. It names the answer by a pointer of its own choosing, which
// is read no further than an answer buffer reaches.
void ReportBetter(void* Context, const char* Solution, std::int32_t Moves) {
    const auto& better = *static_cast<const TBetter*>(Context);
    if (Solution != nullptr && better) {
        better(std::string(Solution, strnlen(Solution, SolutionBufferSize - 1)), Moves);
    }
}

} // namespace

std::int32_t CallImprove(const EngineRec& Engine, std::int32_t N, std::string_view Facelets,
                         std::int32_t MaxMilliseconds, const TBetter& Better,
                         const volatile std::int32_t* Stop, std::string& Answer) {
    std::vector<char> input = FaceletBuffer(Facelets);
    std::vector<char> solution(SolutionBufferSize, '\0');
    const std::int32_t result = Engine.fnImprove(N, input.data(), solution.data(), MaxMilliseconds,
                                                 ReportBetter, const_cast<TBetter*>(&Better), Stop);
    Answer = BufferText(solution);
    return result;
}

std::int32_t CallSolve(const EngineRec& Engine, std::int32_t N, std::string_view Facelets,
                       std::string& Answer) {
    std::vector<char> input = FaceletBuffer(Facelets);
    std::vector<char> solution(SolutionBufferSize, '\0');
    const std::int32_t result = Engine.fnSolve(N, input.data(), solution.data());
    Answer = BufferText(solution);
    return result;
}
