#pragma once

#include <QString>

// How the copies of a site's pictures are written.
struct WebCopyRules {
    bool webReady = false;        // pictures browsers cannot show become JPEG or PNG
    int longEdge = 0;             // larger pictures are scaled down to it; 0 keeps the size
    bool removeMetadata = false;  // JPEG copies lose their photo metadata
    int quality = 75;             // of every JPEG written anew

    static WebCopyRules Read();
    // Whether a copy may differ from its picture.
    bool changesCopies() const { return webReady || longEdge > 0 || removeMetadata; }
    // A text that differs whenever the copies would.
    QString describe() const;
};

// Writes the copy of `source` at `destination`. A picture of a type browsers cannot
// show, whose destination names a JPEG or PNG file, is written in that format; one
// larger than the long edge is scaled down (JPEG and PNG pictures in their own format);
// a JPEG copied as it is loses its metadata when asked. Anything else is copied byte
// for byte. A copy replaces an earlier file only when complete, and never replaces
// `source`: a copy of a picture onto itself is left as it is when it would be the
// same, and refused when it would not. Empty on success, else why not.
QString WriteWebCopy(const QString &source, const QString &destination, const WebCopyRules &rules);
