#pragma once
// The window's status bar, one label a field. wxGTK draws a status bar's own texts itself, so
// a screen reader finds nothing there; a label (a GtkLabel) is read out, and each field is one.

#include <vector>

#include <wx/stattext.h>
#include <wx/statusbr.h>

namespace world_view {

class StatusFields : public wxStatusBar {
public:
    // One field for each width, as wxStatusBar::SetStatusWidths takes them.
    StatusFields(wxWindow* parent, const std::vector<int>& widths);

    void SetField(int field, const wxString& text);
    // Shown over the field, for what it has no room to say; empty: none.
    void SetFieldTip(int field, const wxString& tip);
    wxString Field(int field) const;

private:
    void OnSize(wxSizeEvent& event);
    void Place();

    std::vector<wxStaticText*> labels_;  // children, owned by wx
};

}  // namespace world_view
