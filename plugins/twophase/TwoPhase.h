#pragma once
// The exports through which the game loads this engine: C calling convention, 32-bit ints,
// zero-terminated 8-bit texts. The buffer sizes are fixed by the caller; nothing is written past them.

#define TWOPHASE_EXPORT extern "C" __attribute__((visibility("default")))

// Name, legal notice, version, contact, web site and e-mail, into buffers of 256, 256, 33, 65, 129
// and 129 bytes.
TWOPHASE_EXPORT void _fnRbkinfo(char* name, char* legal, char* version, char* contact, char* web,
                                char* email);

// Solves the N x N x N cube given as 6 * N * N facelet letters in this engine's face order (see
// _fnRbkconstruct; 54 letters for N = 3, 24 for N = 2). Writes at most 1024 characters and a terminator
// into solution: face turns such as "R U2 Fi" separated by single blanks, none for a solved cube; at
// most 20 for N = 3, and for N = 2 a shortest answer (11 at most, half turns counting as one). Returns
// the number of moves, or a negative number for N other than 2 or 3 or a cube that cannot exist.
TWOPHASE_EXPORT int _fnRbksolve(int N, const char* facelets, char* solution);

// Optional. Solves like _fnRbksolve, then keeps searching for shorter answers: each answer shorter than
// the last is written into Solution (1025 bytes, as _fnRbksolve writes it) and then reported by calling
// Better(Context, Solution, Moves) on the calling thread (Better may be null). Searching ends when
// *Stop becomes non-zero (another thread sets it), when MaxMilliseconds have passed, or when no shorter
// answer exists. Returns the number of moves of the last answer written, or a negative number as
// _fnRbksolve does. The first answer is written and reported as soon as it is found.
//
// Stop may be null. The first answer comes even when MaxMilliseconds is 0 or passes before it (it takes
// milliseconds), but Stop ends the search at once: set before the first answer, the result is -3 with
// Solution empty. For N = 2 the first answer is a shortest one, reported once (Stop is not read). Any
// number of calls may run at once on different threads.
TWOPHASE_EXPORT int _fnRbkimprove(int N, const char* Facelets, char* Solution, int MaxMilliseconds,
                                  void (*Better)(void* Context, const char* Solution, int Moves),
                                  void* Context, const volatile int* Stop);

// The face order of the facelet text, "ufrbld", into a buffer of 129 bytes.
TWOPHASE_EXPORT void _fnRbkconstruct(char* buf);

// Non-zero for the cube sizes this engine solves: 2 and 3.
TWOPHASE_EXPORT unsigned char _fnRbksupport(int N);
