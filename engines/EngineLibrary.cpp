#include "engines/EngineLibrary.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
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

std::int32_t CallSolve(const EngineRec& Engine, std::int32_t N, std::string_view Facelets,
                       std::string& Answer) {
    std::vector<char> input(FaceletBufferSize, '\0');
    std::copy_n(Facelets.begin(), std::min<std::size_t>(Facelets.size(), FaceletBufferSize - 1),
                input.begin());
    std::vector<char> solution(SolutionBufferSize, '\0');
    const std::int32_t result = Engine.fnSolve(N, input.data(), solution.data());
    Answer = BufferText(solution);
    return result;
}
