#pragma once
// The viewer's main window: a modal dialog holding the world combo, the sector list, the viewport
// the terrain is drawn into, the two camera readouts and the Reset Camera button. It wires the
// user's choices to the catalogue, the renderer and the camera; every redraw is a direct
// RenderFrame call.

#include <afxwin.h>

class ViewerDialog : public CDialog {
public:
    explicit ViewerDialog(CWnd* parent = nullptr);
    ~ViewerDialog() override;

    CComboBox m_worldCombo;
    CListBox m_sectorList;
    CEdit m_locationEdit;
    CEdit m_angleEdit;
    CStatic m_viewport;
    // Pointer position of the last mouse move handled with a button held, in dialog client
    // coordinates; (NoAnchor, NoAnchor) while no drag is in progress.
    POINT DragAnchor{};

protected:
    // The application icon; loaded by the constructor, never destroyed by the dialog.
    HICON m_hIcon = nullptr;

    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // Escape ends the viewer like the other two routes: the renderer is released first.
    void OnCancel() override;

    // Creates the renderer for the viewport and lists the worlds and the first world's sectors.
    void InitViewer();
    void FillWorldList();
    void FillSectorList();
    // Writes the angle readout, then the location readout.
    void UpdateCameraReadouts();

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnClose();
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnSelchangeSectorList();
    afx_msg void ResetCamera();
    afx_msg void OnSelchangeWorldCombo();
    DECLARE_MESSAGE_MAP()
};
