#pragma once
// Display-list helper shared by the view's drawing files (private to view/). Call it with the view's
// context current.

#include <GL/gl.h>

// Replaces the list behind Name by a new one, open for compiling (not executing).
inline void BeginList(unsigned& Name) {
    if (Name && glIsList(Name)) {
        glDeleteLists(Name, 1);
    }
    Name = glGenLists(1);
    glNewList(Name, GL_COMPILE);
}
