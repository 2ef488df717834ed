// What a picker's tree notices do, and the filling of a level.
#include "browsers/PickerTree.h"
#include "browsers/PickerWindow.h"
#include "resources/resource.h"

namespace {

void SetItemImages(HWND tree, HTREEITEM item, int image)
{
    TVITEMW change = {};
    change.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    change.hItem = item;
    change.iImage = change.iSelectedImage = image;
    SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&change);
}

void DeleteChildren(HWND tree, HTREEITEM item)
{
    HTREEITEM child = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)item);
    if (!child)
        return;
    // Within the collapse the tree still counts the children as shown, and would lay
    // out, scroll and repaint after every single deletion, a cost that grows with the
    // square of the folder's size. Redrawing is held until the last one is gone.
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    while (child) {
        HTREEITEM next = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)child);
        SendMessageW(tree, TVM_DELETEITEM, 0, (LPARAM)child);
        child = next;
    }
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    // A tree may take the node for childless once its last child is gone; it keeps
    // its button, to be read again at the next expansion.
    TVITEMW change = {};
    change.mask = TVIF_HANDLE | TVIF_CHILDREN;
    change.hItem = item;
    change.cChildren = 1;
    SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&change);
}

// The node under the position of the last message, for a double tap.
HTREEITEM ItemUnderLastMessage(HWND tree)
{
    DWORD position = GetMessagePos();
    POINT at = {(LONG)LOWORD(position), (LONG)HIWORD(position)};
    ScreenToClient(tree, &at);
    TVHITTESTINFO hit = {};
    hit.pt = at;
    return (HTREEITEM)SendMessageW(tree, TVM_HITTEST, 0, (LPARAM)&hit);
}

// The action of an expansion notice; other bits (TVE_COLLAPSERESET) may come with it.
bool IsCollapse(UINT action) { return (action & (TVE_COLLAPSE | TVE_EXPAND)) == TVE_COLLAPSE; }

} // namespace

LRESULT OnPickerNotify(PickerState& picker, const NMHDR* header)
{
    if (!header)
        return 0;
    const NMTREEVIEWW* change = (const NMTREEVIEWW*)header;
    switch (header->code) {
    case TVN_ITEMEXPANDINGW:
        if (IsCollapse(change->action)) {
            SetItemImages(header->hwndFrom, change->itemNew.hItem, PICKER_IMAGE_COLLAPSED);
        } else {
            SetItemImages(header->hwndFrom, change->itemNew.hItem, PICKER_IMAGE_EXPANDED);
            picker.kind->expand(picker, header->hwndFrom, change->itemNew.hItem);
        }
        return 0; // the tree always goes on
    case TVN_ITEMEXPANDEDW:
        // What a collapse hides is read again at the next expansion.
        if (IsCollapse(change->action))
            DeleteChildren(header->hwndFrom, change->itemNew.hItem);
        return 0;
    case TVN_SELCHANGEDW:
        picker.kind->select(picker, GetDlgItem(picker.window, picker.kind->treeId), change->itemNew.hItem);
        return 0;
    case NM_DBLCLK: {
        HWND tree = GetDlgItem(picker.window, picker.kind->treeId);
        if (HTREEITEM node = tree ? ItemUnderLastMessage(tree) : nullptr)
            picker.kind->doubleTap(picker, tree, node);
        return 0;
    }
    case NM_RETURN: {
        // The action key pressed twice within two seconds confirms, also across
        // openings; the first press since the program started never does.
        DWORD now = GetTickCount();
        if (picker.kept.returnSeen && now - picker.kept.lastReturnTick < PICKER_RETURN_PAIR_MS)
            SendMessageW(picker.window, WM_COMMAND, IDM_PICKER_OK, 0);
        picker.kept.lastReturnTick = now;
        picker.kept.returnSeen = true;
        return 0;
    }
    }
    return 0;
}

LevelFill::LevelFill(const PickerState& picker, HWND tree, HTREEITEM parent, CursorAfterFill after) : tree_(tree)
{
    HCURSOR kept = ShowPickerWaitCursor(picker);
    after_ = after == RESTORE_CURSOR ? kept : nullptr;
    held_ = !parent || (SendMessageW(tree, TVM_GETITEMSTATE, (WPARAM)parent, TVIS_EXPANDED) & TVIS_EXPANDED);
    if (held_)
        SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
}

LevelFill::~LevelFill()
{
    if (held_) {
        SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(tree_, nullptr, TRUE);
    }
    SetCursor(after_);
    ShowCursor(FALSE);
}
