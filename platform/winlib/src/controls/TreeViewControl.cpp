// The tree view control: a hierarchy of items drawn one row each, indented by level, with
// dotted lines and plus/minus buttons, one selected item, expanding and collapsing by button,
// double-click and keys, and both scroll bars.
#include "ControlUtil.h"
#include "winlib/TreeCtrl.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace winlib::detail
{

namespace
{

constexpr int kDefaultIndent = 19;
constexpr int kButtonSize = 9;
constexpr int kTextGap = 3;

struct TreeNode
{
    std::string text;
    LPARAM param = 0;
    UINT state = 0;
    int children = 0; // as set by TVIF_CHILDREN: 1 shows a button even without children
    TreeNode* parent = nullptr;
    std::vector<TreeNode*> kids;
};

struct Row
{
    TreeNode* node;
    int level;
};

class TreeViewBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case TVM_INSERTITEM:
            return reinterpret_cast<LRESULT>(Insert(hwnd, reinterpret_cast<const TVINSERTSTRUCT*>(lParam)));
        case TVM_DELETEITEM:
            return Delete(hwnd, reinterpret_cast<HTREEITEM>(lParam));
        case TVM_EXPAND:
            return Expand(hwnd, Find(reinterpret_cast<HTREEITEM>(lParam)), static_cast<UINT>(wParam),
                          TVC_UNKNOWN);
        case TVM_GETNEXTITEM:
            return reinterpret_cast<LRESULT>(
                Handle(Next(reinterpret_cast<HTREEITEM>(lParam), static_cast<UINT>(wParam))));
        case TVM_SELECTITEM:
            if (wParam != TVGN_CARET)
                return FALSE;
            if (!lParam)
                return Select(hwnd, nullptr, TVC_UNKNOWN);
            return Find(reinterpret_cast<HTREEITEM>(lParam))
                       ? Select(hwnd, Find(reinterpret_cast<HTREEITEM>(lParam)), TVC_UNKNOWN)
                       : FALSE;
        case TVM_GETITEM:
            return GetItem(reinterpret_cast<TVITEM*>(lParam));
        case TVM_SETITEM:
            return SetItem(hwnd, reinterpret_cast<const TVITEM*>(lParam));
        case TVM_GETCOUNT:
            return static_cast<LRESULT>(m_nodes.size());
        case TVM_GETINDENT:
            return m_indent;
        case TVM_SETINDENT:
            m_indent = std::max<int>(kButtonSize + 4, static_cast<int>(wParam));
            Changed(hwnd);
            return 0;
        case TVM_GETVISIBLECOUNT:
            return RowsPerPage(hwnd);
        case TVM_GETITEMHEIGHT:
            return ItemHeight(hwnd);
        case TVM_SETITEMHEIGHT:
        {
            const int old = ItemHeight(hwnd);
            m_itemHeight = static_cast<int>(static_cast<short>(wParam)) > 0 ? static_cast<int>(wParam) : 0;
            Changed(hwnd);
            return old;
        }
        case TVM_GETITEMRECT:
            return ItemRect(hwnd, reinterpret_cast<RECT*>(lParam), wParam != 0);
        case TVM_HITTEST:
            return reinterpret_cast<LRESULT>(HitTest(hwnd, reinterpret_cast<TVHITTESTINFO*>(lParam)));
        case TVM_ENSUREVISIBLE:
            return EnsureVisible(hwnd, Find(reinterpret_cast<HTREEITEM>(lParam)));
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            UpdateScrollBars(hwnd);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, TRUE);
            NotifyParentHeader(hwnd, message == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
            Mouse(hwnd, message, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_KEYDOWN:
            Key(hwnd, static_cast<int>(wParam));
            return 0;
        case WM_VSCROLL:
        case WM_HSCROLL:
            Scroll(hwnd, message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam),
                   static_cast<short>(HIWORD(wParam)));
            return 0;
        case WM_MOUSEWHEEL:
            ScrollTo(hwnd, m_top - 3 * static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA, m_left);
            return 0;
        case WM_SETFONT:
            DefWindowProc(hwnd, message, wParam, lParam);
            Changed(hwnd);
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

private:
    // ---- Items ----
    TreeNode* Find(HTREEITEM item) const
    {
        const auto found = m_nodes.find(reinterpret_cast<const TreeNode*>(item));
        return found == m_nodes.end() ? nullptr : found->second.get();
    }
    static HTREEITEM Handle(TreeNode* node) { return reinterpret_cast<HTREEITEM>(node); }
    TreeNode* ParentOf(HTREEITEM parent) { return (!parent || parent == TVI_ROOT) ? &m_root : Find(parent); }

    TreeNode* Insert(HWND hwnd, const TVINSERTSTRUCT* insert)
    {
        if (!insert)
            return nullptr;
        TreeNode* parent = ParentOf(insert->hParent);
        if (!parent)
            return nullptr;
        auto node = std::make_unique<TreeNode>();
        node->parent = parent;
        ApplyItem(*node, insert->item);
        std::vector<TreeNode*>& kids = parent->kids;
        auto where = kids.end();
        if (insert->hInsertAfter == TVI_FIRST)
            where = kids.begin();
        else if (insert->hInsertAfter == TVI_SORT)
            where =
                std::find_if(kids.begin(), kids.end(),
                             [&](const TreeNode* kid) { return ToLower(kid->text) > ToLower(node->text); });
        else if (insert->hInsertAfter != TVI_LAST && insert->hInsertAfter != TVI_ROOT)
        {
            const auto after = std::find(kids.begin(), kids.end(), Find(insert->hInsertAfter));
            where = after == kids.end() ? kids.end() : after + 1;
        }
        TreeNode* raw = node.get();
        kids.insert(where, raw);
        m_nodes.emplace(raw, std::move(node));
        Changed(hwnd);
        return raw;
    }

    void ApplyItem(TreeNode& node, const TVITEM& item)
    {
        if ((item.mask & TVIF_TEXT) && item.pszText)
            node.text = item.pszText;
        if (item.mask & TVIF_PARAM)
            node.param = item.lParam;
        if (item.mask & TVIF_CHILDREN)
            node.children = item.cChildren;
        if (item.mask & TVIF_STATE)
            node.state = (node.state & ~item.stateMask) | (item.state & item.stateMask & ~TVIS_SELECTED);
    }

    BOOL Delete(HWND hwnd, HTREEITEM item)
    {
        TreeNode* node = (item == TVI_ROOT || !item) ? &m_root : Find(item);
        if (!node)
            return FALSE;
        if (node != &m_root)
        {
            auto& siblings = node->parent->kids;
            siblings.erase(std::find(siblings.begin(), siblings.end(), node));
        }
        Forget(hwnd, node);
        if (node == &m_root)
            m_root.kids.clear();
        else
            m_nodes.erase(node);
        Changed(hwnd);
        return TRUE;
    }

    // Drops a node's descendants (and tells the parent of each item going).
    void Forget(HWND hwnd, TreeNode* node)
    {
        for (TreeNode* kid : node->kids)
        {
            Forget(hwnd, kid);
            m_nodes.erase(kid);
        }
        node->kids.clear();
        if (node == &m_root)
            return;
        if (m_selected == node)
            m_selected = nullptr;
        NMTREEVIEW nm{};
        nm.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
        nm.itemOld.hItem = Handle(node);
        nm.itemOld.lParam = node->param;
        Notify(hwnd, TVN_DELETEITEM, nm);
    }

    BOOL GetItem(TVITEM* item) const
    {
        TreeNode* node = item ? Find(item->hItem) : nullptr;
        if (!node)
            return FALSE;
        if ((item->mask & TVIF_TEXT) && item->pszText && item->cchTextMax > 0)
        {
            const std::size_t n =
                std::min<std::size_t>(node->text.size(), static_cast<std::size_t>(item->cchTextMax - 1));
            std::memcpy(item->pszText, node->text.data(), n);
            item->pszText[n] = '\0';
        }
        if (item->mask & TVIF_PARAM)
            item->lParam = node->param;
        if (item->mask & TVIF_CHILDREN)
            item->cChildren = HasChildren(*node) ? 1 : 0;
        if (item->mask & TVIF_STATE)
            item->state = StateOf(*node) & (item->stateMask ? item->stateMask : ~0u);
        return TRUE;
    }

    BOOL SetItem(HWND hwnd, const TVITEM* item)
    {
        TreeNode* node = item ? Find(item->hItem) : nullptr;
        if (!node)
            return FALSE;
        ApplyItem(*node, *item);
        Changed(hwnd);
        return TRUE;
    }

    UINT StateOf(const TreeNode& node) const
    {
        return node.state | (&node == m_selected ? TVIS_SELECTED : 0);
    }
    static bool HasChildren(const TreeNode& node) { return !node.kids.empty() || node.children > 0; }
    static bool Expanded(const TreeNode& node) { return (node.state & TVIS_EXPANDED) != 0; }

    TreeNode* Next(HTREEITEM item, UINT code)
    {
        TreeNode* node = Find(item);
        const auto sibling = [](TreeNode* n, int step) -> TreeNode*
        {
            auto& kids = n->parent->kids;
            const auto at = std::find(kids.begin(), kids.end(), n) - kids.begin() + step;
            return at >= 0 && at < static_cast<long>(kids.size()) ? kids[static_cast<std::size_t>(at)]
                                                                  : nullptr;
        };
        switch (code)
        {
        case TVGN_ROOT:
            return m_root.kids.empty() ? nullptr : m_root.kids.front();
        case TVGN_CARET:
            return m_selected;
        case TVGN_NEXT:
            return node ? sibling(node, 1) : nullptr;
        case TVGN_PREVIOUS:
            return node ? sibling(node, -1) : nullptr;
        case TVGN_PARENT:
            return node && node->parent != &m_root ? node->parent : nullptr;
        case TVGN_CHILD:
        {
            TreeNode* parent = (!item || item == TVI_ROOT) ? &m_root : node;
            return parent && !parent->kids.empty() ? parent->kids.front() : nullptr;
        }
        case TVGN_FIRSTVISIBLE:
        {
            const std::vector<Row> rows = Rows();
            return m_top < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(m_top)].node
                                                         : nullptr;
        }
        case TVGN_LASTVISIBLE:
        {
            const std::vector<Row> rows = Rows();
            return rows.empty() ? nullptr : rows.back().node;
        }
        case TVGN_NEXTVISIBLE:
        case TVGN_PREVIOUSVISIBLE:
        {
            const std::vector<Row> rows = Rows();
            const int at = RowOf(rows, node) + (code == TVGN_NEXTVISIBLE ? 1 : -1);
            return node && at >= 0 && at < static_cast<int>(rows.size())
                       ? rows[static_cast<std::size_t>(at)].node
                       : nullptr;
        }
        default:
            return nullptr;
        }
    }

    // ---- Rows: the items whose ancestors are all expanded, in display order ----
    std::vector<Row> Rows() const
    {
        std::vector<Row> rows;
        AddRows(m_root, 0, rows);
        return rows;
    }
    static void AddRows(const TreeNode& node, int level, std::vector<Row>& rows)
    {
        for (TreeNode* kid : node.kids)
        {
            rows.push_back(Row{kid, level});
            if (Expanded(*kid))
                AddRows(*kid, level + 1, rows);
        }
    }
    static int RowOf(const std::vector<Row>& rows, const TreeNode* node)
    {
        for (std::size_t i = 0; i < rows.size(); ++i)
        {
            if (rows[i].node == node)
                return static_cast<int>(i);
        }
        return -1;
    }

    // ---- Geometry ----
    int ItemHeight(HWND hwnd) const
    {
        if (m_itemHeight > 0)
            return m_itemHeight;
        const HDC hdc = GetDC(nullptr);
        const HGDIOBJ old = SelectControlFont(hwnd, hdc);
        TEXTMETRIC tm{};
        GetTextMetrics(hdc, &tm);
        SelectObject(hdc, old);
        ReleaseDC(nullptr, hdc);
        return std::max<int>(kButtonSize + 6, tm.tmHeight + 3);
    }
    int RowsPerPage(HWND hwnd) const { return std::max(1, ClientOf(hwnd).Height() / ItemHeight(hwnd)); }
    int LevelOffset(HWND hwnd, int level) const
    {
        const bool atRoot = (StyleOf(hwnd) & TVS_LINESATROOT) != 0;
        return (level + (atRoot ? 1 : 0)) * m_indent - m_left;
    }
    int TextWidth(HWND hwnd, const std::string& text) const
    {
        const HDC hdc = GetDC(nullptr);
        const HGDIOBJ old = SelectControlFont(hwnd, hdc);
        SIZE size{0, 0};
        GetTextExtentPoint32(hdc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(hdc, old);
        ReleaseDC(nullptr, hdc);
        return size.cx;
    }
    CRect LabelRect(HWND hwnd, const Row& row, int index) const
    {
        const int height = ItemHeight(hwnd);
        const int y = (index - m_top) * height;
        const int x = LevelOffset(hwnd, row.level) + kTextGap;
        return CRect(x, y, x + TextWidth(hwnd, row.node->text) + 2 * kTextGap, y + height);
    }
    CRect ButtonRect(HWND hwnd, const Row& row, int index) const
    {
        const int height = ItemHeight(hwnd);
        const int centreX = LevelOffset(hwnd, row.level) - m_indent / 2;
        const int centreY = (index - m_top) * height + height / 2;
        return CRect(centreX - kButtonSize / 2, centreY - kButtonSize / 2,
                     centreX - kButtonSize / 2 + kButtonSize, centreY - kButtonSize / 2 + kButtonSize);
    }
    bool ShowsButton(HWND hwnd, const Row& row) const
    {
        const DWORD style = StyleOf(hwnd);
        return (style & TVS_HASBUTTONS) && HasChildren(*row.node) &&
               (row.level > 0 || (style & TVS_LINESATROOT));
    }

    BOOL ItemRect(HWND hwnd, RECT* rect, bool textOnly) const
    {
        if (!rect)
            return FALSE;
        const TreeNode* node = Find(*reinterpret_cast<HTREEITEM*>(rect));
        const std::vector<Row> rows = Rows();
        const int index = RowOf(rows, node);
        if (!node || index < 0)
            return FALSE;
        const CRect label = LabelRect(hwnd, rows[static_cast<std::size_t>(index)], index);
        *rect = textOnly ? label : CRect(0, label.top, ClientOf(hwnd).right, label.bottom);
        return TRUE;
    }

    TreeNode* HitTest(HWND hwnd, TVHITTESTINFO* info) const
    {
        if (!info)
            return nullptr;
        const CRect client = ClientOf(hwnd);
        info->flags = 0;
        info->hItem = nullptr;
        if (info->pt.y < 0)
        {
            info->flags = TVHT_ABOVE;
            return nullptr;
        }
        if (info->pt.y >= client.bottom)
        {
            info->flags = TVHT_BELOW;
            return nullptr;
        }
        const std::vector<Row> rows = Rows();
        const int index = m_top + info->pt.y / ItemHeight(hwnd);
        if (index >= static_cast<int>(rows.size()))
        {
            info->flags = TVHT_NOWHERE;
            return nullptr;
        }
        const Row& row = rows[static_cast<std::size_t>(index)];
        const CRect label = LabelRect(hwnd, row, index);
        CRect button = ButtonRect(hwnd, row, index);
        button.InflateRect(2, 2);
        if (ShowsButton(hwnd, row) && button.PtInRect(info->pt))
            info->flags = TVHT_ONITEMBUTTON;
        else if (info->pt.x < label.left)
            info->flags = TVHT_ONITEMINDENT;
        else if (info->pt.x < label.right)
            info->flags = TVHT_ONITEMLABEL;
        else
            info->flags = TVHT_ONITEMRIGHT;
        info->hItem = Handle(row.node);
        return row.node;
    }

    // ---- Changes ----
    void Changed(HWND hwnd)
    {
        UpdateScrollBars(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    LRESULT Notify(HWND hwnd, UINT code, NMTREEVIEW& nm) const
    {
        const HWND parent = GetParent(hwnd);
        if (!parent)
            return 0;
        nm.hdr = NMHDR{hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), code};
        return SendMessage(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }

    static TVITEM Describe(const TreeNode* node, UINT state)
    {
        TVITEM item{};
        if (!node)
            return item;
        item.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
        item.hItem = Handle(const_cast<TreeNode*>(node));
        item.lParam = node->param;
        item.state = state;
        return item;
    }

    BOOL Select(HWND hwnd, TreeNode* node, UINT action)
    {
        if (node == m_selected)
            return TRUE;
        NMTREEVIEW nm{};
        nm.action = action;
        nm.itemOld = Describe(m_selected, m_selected ? StateOf(*m_selected) : 0);
        nm.itemNew = Describe(node, node ? StateOf(*node) : 0);
        if (Notify(hwnd, TVN_SELCHANGING, nm))
            return FALSE;
        m_selected = node;
        // The ancestors of the new selection open so that it can be seen.
        for (TreeNode* up = node ? node->parent : nullptr; up && up != &m_root; up = up->parent)
            up->state |= TVIS_EXPANDED;
        EnsureVisible(hwnd, node);
        Changed(hwnd);
        nm.itemNew.state = node ? StateOf(*node) : 0;
        Notify(hwnd, TVN_SELCHANGED, nm);
        return TRUE;
    }

    BOOL Expand(HWND hwnd, TreeNode* node, UINT code, UINT action)
    {
        if (!node)
            return FALSE;
        const bool open = code == TVE_TOGGLE ? !Expanded(*node) : (code & 0xF) == TVE_EXPAND;
        if ((code & 0xF) != TVE_EXPAND && (code & 0xF) != TVE_COLLAPSE && (code & 0xF) != TVE_TOGGLE)
            return FALSE;
        if (open == Expanded(*node))
            return TRUE;
        NMTREEVIEW nm{};
        nm.action = open ? TVE_EXPAND : TVE_COLLAPSE;
        nm.itemNew = Describe(node, node->state);
        if (Notify(hwnd, TVN_ITEMEXPANDING, nm))
            return FALSE;
        if (open)
            node->state |= TVIS_EXPANDED;
        else
        {
            node->state &= ~TVIS_EXPANDED;
            // A selection inside the closed branch moves up to it.
            for (TreeNode* up = m_selected; up && up != &m_root; up = up->parent)
            {
                if (up->parent == node)
                {
                    Select(hwnd, node, action);
                    break;
                }
            }
        }
        const std::vector<Row> rows = Rows();
        m_top = std::clamp(m_top, 0, std::max(0, static_cast<int>(rows.size()) - RowsPerPage(hwnd)));
        Changed(hwnd);
        nm.itemNew.state = node->state;
        Notify(hwnd, TVN_ITEMEXPANDED, nm);
        return TRUE;
    }

    BOOL EnsureVisible(HWND hwnd, TreeNode* node)
    {
        if (!node)
            return FALSE;
        for (TreeNode* up = node->parent; up && up != &m_root; up = up->parent)
            up->state |= TVIS_EXPANDED;
        const int index = RowOf(Rows(), node);
        const int page = RowsPerPage(hwnd);
        if (index < m_top)
            ScrollTo(hwnd, index, m_left);
        else if (index >= m_top + page)
            ScrollTo(hwnd, index - page + 1, m_left);
        return TRUE;
    }

    // ---- Scrolling ----
    int ContentWidth(HWND hwnd) const
    {
        int widest = 0;
        for (const Row& row : Rows())
            widest = std::max(widest, LevelOffset(hwnd, row.level) + m_left +
                                          TextWidth(hwnd, row.node->text) + 3 * kTextGap);
        return widest;
    }

    void UpdateScrollBars(HWND hwnd)
    {
        const int rows = static_cast<int>(Rows().size());
        const int page = RowsPerPage(hwnd);
        m_top = std::clamp(m_top, 0, std::max(0, rows - page));
        SCROLLINFO v{sizeof(SCROLLINFO),
                     SIF_RANGE | SIF_PAGE | SIF_POS,
                     0,
                     std::max(0, rows - 1),
                     static_cast<UINT>(page),
                     m_top,
                     0};
        SetScrollInfo(hwnd, SB_VERT, &v, TRUE);
        const int width = ContentWidth(hwnd);
        const int client = ClientOf(hwnd).Width();
        m_left = std::clamp(m_left, 0, std::max(0, width - client));
        SCROLLINFO h{sizeof(SCROLLINFO),
                     SIF_RANGE | SIF_PAGE | SIF_POS,
                     0,
                     std::max(0, width - 1),
                     static_cast<UINT>(std::max(client, 1)),
                     m_left,
                     0};
        SetScrollInfo(hwnd, SB_HORZ, &h, TRUE);
    }

    void ScrollTo(HWND hwnd, int top, int left)
    {
        const int rows = static_cast<int>(Rows().size());
        top = std::clamp(top, 0, std::max(0, rows - RowsPerPage(hwnd)));
        left = std::clamp(left, 0, std::max(0, ContentWidth(hwnd) - ClientOf(hwnd).Width()));
        if (top == m_top && left == m_left)
            return;
        m_top = top;
        m_left = left;
        Changed(hwnd);
    }

    void Scroll(HWND hwnd, int bar, UINT code, int pos)
    {
        const bool vertical = bar == SB_VERT;
        ScrollSteps steps;
        steps.line = vertical ? 1 : m_indent;
        steps.page = vertical ? RowsPerPage(hwnd) : std::max(1, ClientOf(hwnd).Width());
        steps.end = vertical ? static_cast<int>(Rows().size()) : ContentWidth(hwnd);
        const auto target = ScrollCodeTarget(hwnd, bar, code, pos, vertical ? m_top : m_left, steps);
        if (target)
            ScrollTo(hwnd, vertical ? *target : m_top, vertical ? m_left : *target);
    }

    // ---- Input ----
    void Mouse(HWND hwnd, UINT message, CPoint point)
    {
        if (message != WM_RBUTTONDOWN && GetFocus() != hwnd)
            SetFocus(hwnd);
        TVHITTESTINFO hit{point, 0, nullptr};
        TreeNode* node = HitTest(hwnd, &hit);
        if (message == WM_RBUTTONDOWN)
        {
            NotifyParentHeader(hwnd, NM_RCLICK);
            return;
        }
        if (node && (hit.flags & TVHT_ONITEMBUTTON))
        {
            Expand(hwnd, node, TVE_TOGGLE, TVC_BYMOUSE);
            return;
        }
        if (node && (hit.flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT | TVHT_ONITEMINDENT)))
        {
            Select(hwnd, node, TVC_BYMOUSE);
            if (message == WM_LBUTTONDBLCLK)
            {
                if (!NotifyParentHeader(hwnd, NM_DBLCLK))
                    Expand(hwnd, node, TVE_TOGGLE, TVC_BYMOUSE);
                return;
            }
        }
        NotifyParentHeader(hwnd, message == WM_LBUTTONDBLCLK ? NM_DBLCLK : NM_CLICK);
    }

    void Key(HWND hwnd, int vk)
    {
        const std::vector<Row> rows = Rows();
        if (rows.empty())
            return;
        const int at = RowOf(rows, m_selected);
        const int last = static_cast<int>(rows.size()) - 1;
        const auto go = [&](int index)
        { Select(hwnd, rows[static_cast<std::size_t>(std::clamp(index, 0, last))].node, TVC_BYKEYBOARD); };
        switch (vk)
        {
        case VK_UP:
            go(at < 0 ? 0 : at - 1);
            break;
        case VK_DOWN:
            go(at + 1);
            break;
        case VK_HOME:
            go(0);
            break;
        case VK_END:
            go(last);
            break;
        case VK_PRIOR:
            go(at - RowsPerPage(hwnd) + 1);
            break;
        case VK_NEXT:
            go(at + RowsPerPage(hwnd) - 1);
            break;
        case VK_LEFT:
            if (m_selected && Expanded(*m_selected) && HasChildren(*m_selected))
                Expand(hwnd, m_selected, TVE_COLLAPSE, TVC_BYKEYBOARD);
            else if (m_selected && m_selected->parent != &m_root)
                Select(hwnd, m_selected->parent, TVC_BYKEYBOARD);
            break;
        case VK_RIGHT:
            if (m_selected && HasChildren(*m_selected) && !Expanded(*m_selected))
                Expand(hwnd, m_selected, TVE_EXPAND, TVC_BYKEYBOARD);
            else if (m_selected && !m_selected->kids.empty())
                Select(hwnd, m_selected->kids.front(), TVC_BYKEYBOARD);
            break;
        case VK_ADD:
            if (m_selected)
                Expand(hwnd, m_selected, TVE_EXPAND, TVC_BYKEYBOARD);
            break;
        case VK_SUBTRACT:
            if (m_selected)
                Expand(hwnd, m_selected, TVE_COLLAPSE, TVC_BYKEYBOARD);
            break;
        default:
            break;
        }
    }

    // ---- Painting ----
    void Paint(HWND hwnd)
    {
        PAINTSTRUCT ps;
        const HDC hdc = BeginPaint(hwnd, &ps);
        const CRect client = ClientOf(hwnd);
        const HBRUSH background = ControlColors(hwnd, hdc, WM_CTLCOLOREDIT);
        FillRect(hdc, &client, background ? background : GetSysColorBrush(COLOR_WINDOW));
        const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
        SetBkMode(hdc, TRANSPARENT);
        const DWORD style = StyleOf(hwnd);
        const bool focused = GetFocus() == hwnd;
        const int height = ItemHeight(hwnd);
        const std::vector<Row> rows = Rows();
        const HPEN dots = CreatePen(PS_DOT, 1, GetSysColor(COLOR_GRAYTEXT));
        const HGDIOBJ oldPen = SelectObject(hdc, dots);
        const int first = m_top;
        const int end = std::min(static_cast<int>(rows.size()), m_top + client.Height() / height + 2);
        for (int i = first; i < end; ++i)
        {
            const Row& row = rows[static_cast<std::size_t>(i)];
            const int y = (i - m_top) * height;
            const int midY = y + height / 2;
            const bool atRoot = (style & TVS_LINESATROOT) != 0;
            if ((style & TVS_HASLINES) && (row.level > 0 || atRoot))
            {
                const int lineX = LevelOffset(hwnd, row.level) - m_indent / 2;
                // The line into the item, and down to its next sibling.
                MoveToEx(hdc, lineX, midY, nullptr);
                LineTo(hdc, LevelOffset(hwnd, row.level), midY);
                const auto& siblings = row.node->parent->kids;
                const bool lastSibling = siblings.back() == row.node;
                const bool firstRoot = row.level == 0 && siblings.front() == row.node;
                MoveToEx(hdc, lineX, firstRoot ? midY : y, nullptr);
                LineTo(hdc, lineX, lastSibling ? midY : y + height);
                // The lines of ancestors that have siblings still to come pass by.
                int level = row.level - 1;
                for (const TreeNode* up = row.node->parent; up != &m_root; up = up->parent, --level)
                {
                    const auto& upSiblings = up->parent->kids;
                    if (upSiblings.back() != up && (level > 0 || atRoot))
                    {
                        const int x = LevelOffset(hwnd, level) - m_indent / 2;
                        MoveToEx(hdc, x, y, nullptr);
                        LineTo(hdc, x, y + height);
                    }
                }
            }
            if (ShowsButton(hwnd, row))
                DrawButton(hdc, ButtonRect(hwnd, row, i), Expanded(*row.node));
            const CRect label = LabelRect(hwnd, row, i);
            const bool selected = row.node == m_selected;
            COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
            if (selected && (focused || (style & TVS_SHOWSELALWAYS)))
            {
                FillRect(hdc, &label, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
                text = GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
            }
            SetTextColor(hdc, text);
            CRect textRect = label;
            textRect.left += kTextGap;
            DrawText(hdc, row.node->text.c_str(), static_cast<int>(row.node->text.size()), &textRect,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            if (selected && focused)
                DrawFocusRect(hdc, &label);
        }
        SelectObject(hdc, oldPen);
        DeleteObject(dots);
        SelectObject(hdc, oldFont);
        EndPaint(hwnd, &ps);
    }

    static void DrawButton(HDC hdc, const CRect& box, bool expanded)
    {
        FillRect(hdc, &box, GetSysColorBrush(COLOR_WINDOW));
        const HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_GRAYTEXT));
        FrameRect(hdc, &box, frame);
        DeleteObject(frame);
        const HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
        const HGDIOBJ old = SelectObject(hdc, pen);
        const int midX = box.left + box.Width() / 2;
        const int midY = box.top + box.Height() / 2;
        MoveToEx(hdc, box.left + 2, midY, nullptr);
        LineTo(hdc, box.right - 2, midY);
        if (!expanded)
        {
            MoveToEx(hdc, midX, box.top + 2, nullptr);
            LineTo(hdc, midX, box.bottom - 2);
        }
        SelectObject(hdc, old);
        DeleteObject(pen);
    }

    TreeNode m_root;
    std::unordered_map<const TreeNode*, std::unique_ptr<TreeNode>> m_nodes;
    TreeNode* m_selected = nullptr;
    int m_top = 0;  // first row shown
    int m_left = 0; // pixels scrolled to the left
    int m_indent = kDefaultIndent;
    int m_itemHeight = 0; // 0: from the font
};

} // namespace

void RegisterTreeViewClass()
{
    State::Get().RegisterBuiltin(
        WC_TREEVIEW, [] { return std::make_unique<TreeViewBehaviour>(); }, COLOR_WINDOW);
}

} // namespace winlib::detail
