#include "ui/viewer_dialog.h"

#include <afxwin.h>
#include <windows.h>
#include "catalogue/heightmap_path.h"
#include "catalogue/sector_table.h"
#include "catalogue/world_list.h"
#include "render/renderer.h"
#include "ui/about_dialog.h"
#include "ui/navigation_constants.h"
#include "ui/resource_ids.h"

ViewerDialog::ViewerDialog(CWnd* parent) : CDialog(IDD_VIEWER, parent) {
    // There is one resource module, the executable, so no instance handle is needed.
    m_hIcon = LoadIcon(nullptr, IDI_APP);
}

ViewerDialog::~ViewerDialog() = default;

BEGIN_MESSAGE_MAP(ViewerDialog, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_CLOSE()
ON_WM_MOUSEWHEEL()
ON_WM_MOUSEMOVE()
ON_LBN_SELCHANGE(IDC_SECTOR_LIST, OnSelchangeSectorList)
ON_BN_CLICKED(IDC_RESET_CAMERA, ResetCamera)
ON_CBN_SELCHANGE(IDC_WORLD_COMBO, OnSelchangeWorldCombo)
END_MESSAGE_MAP()

void ViewerDialog::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_WORLD_COMBO, m_worldCombo);
    DDX_Control(exchange, IDC_SECTOR_LIST, m_sectorList);
    DDX_Control(exchange, IDC_LOCATION_EDIT, m_locationEdit);
    DDX_Control(exchange, IDC_ANGLE_EDIT, m_angleEdit);
    DDX_Control(exchange, IDC_VIEWPORT, m_viewport);
}

BOOL ViewerDialog::OnInitDialog() {
    CDialog::OnInitDialog();

    // The About entry goes at the end of the window menu, after a separator.
    CMenu* systemMenu = GetSystemMenu(FALSE);
    if (systemMenu != nullptr) {
        CString aboutMenu;
        aboutMenu.LoadString(IDS_ABOUT_MENU);
        if (!aboutMenu.IsEmpty()) {
            systemMenu->AppendMenu(MF_SEPARATOR);
            systemMenu->AppendMenu(MF_STRING, IDM_ABOUT, aboutMenu);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    InitViewer();
    // The platform focuses the first visible tab stop: the angle readout.
    return TRUE;
}

void ViewerDialog::InitViewer() {
    DragAnchor.x = NoAnchor;
    DragAnchor.y = NoAnchor;
    // Without a renderer the viewer still lists the worlds and runs on; frames then draw nothing.
    CreateRenderer(m_viewport.GetSafeHwnd());
    FillWorldList();
    CString worldName;
    m_worldCombo.GetWindowText(worldName);
    ScanSectors(worldName);
    FillSectorList();
}

void ViewerDialog::FillWorldList() {
    ::FillWorldList(m_worldCombo);
}

void ViewerDialog::FillSectorList() {
    ::FillSectorList(m_sectorList);
}

void ViewerDialog::OnSelchangeSectorList() {
    const int selected = m_sectorList.GetCurSel();
    if (selected == LB_ERR) {
        return;
    }
    CString sectorName;
    m_sectorList.GetText(selected, sectorName);
    CString sectorDirectory;
    if (!SectorTable.Lookup(sectorName, sectorDirectory)) {
        return;
    }
    const CString path = HeightmapPath(sectorDirectory, sectorName);
    // Every choice reloads the file, also the sector on view. Without a terrain buffer (no
    // renderer) there is nothing to load into; the frame call then draws nothing.
    if (RendererTerrain) {
        RendererTerrain->LoadHeightmap(path);
    }
    RenderFrame();
    m_viewport.SetFocus();
}

void ViewerDialog::OnSelchangeWorldCombo() {
    // The edit field still shows the previous world while this runs: the name comes from the
    // list item.
    const int selected = m_worldCombo.GetCurSel();
    if (selected == CB_ERR) {
        return;
    }
    CString worldName;
    m_worldCombo.GetLBText(selected, worldName);
    ScanSectors(worldName);
    FillSectorList();
    // The terrain on view stays that of the sector loaded last.
    m_viewport.SetFocus();
}

void ViewerDialog::OnSysCommand(UINT nID, LPARAM /*lParam*/) {
    if ((nID & 0xFFF0) == IDM_ABOUT) {
        AboutDialog about;
        about.DoModal();
    } else {
        Default();
    }
}

void ViewerDialog::OnPaint() {
    if (IsIconic()) {
        CPaintDC context(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context.GetSafeHdc()), 0);

        const int iconWidth = GetSystemMetrics(SM_CXICON);
        const int iconHeight = GetSystemMetrics(SM_CYICON);
        CRect client;
        GetClientRect(&client);
        // Signed division truncating toward zero.
        const int x = (client.Width() - iconWidth + 1) / 2;
        const int y = (client.Height() - iconHeight + 1) / 2;
        context.DrawIcon(x, y, m_hIcon);
    } else {
        RenderFrame();
        Default();
    }
}

HCURSOR ViewerDialog::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void ViewerDialog::OnOK() {
    DestroyRenderer();
    CDialog::OnOK();
}

void ViewerDialog::OnCancel() {
    // On the close route the renderer is gone already; releasing again does nothing.
    DestroyRenderer();
    CDialog::OnCancel();
}

void ViewerDialog::OnClose() {
    DestroyRenderer();
    // The platform answers WM_CLOSE with the IDCANCEL command.
    Default();
}
