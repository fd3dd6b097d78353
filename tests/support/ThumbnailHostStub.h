#pragma once

#include "thumbs/Thumbnails.h"
#include "ui/DocumentArea.h"

// The main window as the thumbnails see it: a document area, and what they report.
struct ThumbnailHostStub : ThumbnailHost {
    DocumentArea area;
    QString totalText;
    QString currentText;
    int commandStateCalls = 0;

    DocumentArea &documentArea() override { return area; }
    void emptyDocumentArea() override { qDeleteAll(area.subWindowList()); }
    void SetPanelText(int panel, const QString &text) override
    {
        (panel == 1 ? totalText : currentText) = text;
    }
    void SetCommandStates(bool) override { ++commandStateCalls; }
};
