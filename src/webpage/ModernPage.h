#pragma once

#include "webpage/HtmlGenerator.h"

class SiteNames;

// The modern page: UTF-8, one style block and no outside files; the thumbnails in a
// grid of at most the chosen number of columns that narrows with the screen, every
// thumbnail shown; with the picture viewer, a few lines of script that show a
// thumbnail's own picture in an overlay. Without the full page code, only the style,
// the grid and the viewer.
QString ModernPageHtml(const PageRequest &request, const SiteNames &names);
