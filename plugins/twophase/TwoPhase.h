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

// The face order of the facelet text, "ufrbld", into a buffer of 129 bytes.
TWOPHASE_EXPORT void _fnRbkconstruct(char* buf);

// Non-zero for the cube sizes this engine solves: 2 and 3.
TWOPHASE_EXPORT unsigned char _fnRbksupport(int N);
