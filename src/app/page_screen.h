#pragma once
// The screen the window's collaborators share: the current page drawn and laid out (the
// drawing side is render's PageView), the page turned, the paging timer held, whether a
// page is being drawn. The main window is the one PageScreen; what a collaborator needs
// of the window beyond it comes through a small interface of that collaborator's own,
// which the window provides through an adapter rather than as another base.
#include "render/page_view.h"

namespace tidemark {

class PageScreen : public PageView {
public:
    // Draws the current page; drawing ends with the layout pass.
    virtual void DrawCurrentPage() = 0;
    virtual void NextPage() = 0;
    virtual void PreviousPage() = 0;
    // A page is being drawn or loaded: a tick, or a click in a document, waits for it.
    virtual bool Busy() const = 0;
    virtual bool WindowClosed() const = 0;
};

}  // namespace tidemark
