#pragma once

#include <QString>

class ImageBuffer;

// Loads a file into an image buffer by trying every format code in turn; returns the
// code that read it, or 0 when none did.
int LoadImageFile(ImageBuffer &buffer, const QString &path);
