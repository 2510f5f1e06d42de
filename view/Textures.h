#pragma once
// Texture loaders: a BMP, JPEG or TGA file becomes an OpenGL 2D texture with a full set of mipmaps.
// The pictures are decoded by ImageDecoders.h; what a file may hold and what is refused is said there.
//
// Threads: call with a GL context current on the calling thread; the texture is made in that context.
// A failure the user should hear about is shown through ShowMessage (Messages.h) with the decoder's
// caption and text, also while the caller holds a view's Lock.
//
// Every loader returns true when it made a texture and stored its name in Texture. On failure Texture
// keeps its previous value.

#include "view/ImageDecoders.h"

#include <cstdint>
#include <span>
#include <string>

// Chooses the loader by the file's extension, in any letter case: ".BMP", ".JPG" or ".TGA". A name
// that is missing or a folder, or any other extension (".jpeg" too), gives false without a message.
bool LoadTexture(const std::string& FileName, unsigned& Texture);

// One format each, whatever the extension; every failure, a missing file included, is shown.
bool LoadBMPTexture(const std::string& FileName, unsigned& Texture);
bool LoadJPGTexture(const std::string& FileName, unsigned& Texture);
bool LoadTGATexture(const std::string& FileName, unsigned& Texture);

// LoadTexture for a variable that may already hold a texture: when the new one is made, the old one
// (if any) is deleted. On failure the old texture stays and stays in use.
bool ReplaceTexture(const std::string& FileName, unsigned& Texture);

// A new texture from tightly packed pixels, bottom row first, left bound as the current 2D texture.
// No filter, wrap or environment parameters are set: the users set their own. 0 (and no texture) when
// Pixels does not hold exactly Width * Height pixels of Format, or the mipmaps cannot be built.
unsigned CreateTexture(std::uint16_t Width, std::uint16_t Height, TPixelFormat Format,
                       std::span<const std::uint8_t> Pixels);
