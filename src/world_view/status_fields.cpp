#include "world_view/status_fields.h"

#include <wx/tooltip.h>

namespace world_view {

StatusFields::StatusFields(wxWindow* parent, const std::vector<int>& widths)
    : wxStatusBar(parent, wxID_ANY, wxSTB_DEFAULT_STYLE & ~wxSTB_SHOW_TIPS) {
    SetFieldsCount(static_cast<int>(widths.size()), widths.data());
    for (std::size_t field = 0; field < widths.size(); ++field) {
        labels_.push_back(new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition,
                                           wxDefaultSize, wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END));
    }
    Bind(wxEVT_SIZE, &StatusFields::OnSize, this);
    Place();
}

void StatusFields::SetField(int field, const wxString& text) {
    wxStaticText* label = labels_.at(static_cast<std::size_t>(field));
    if (label->GetLabel() != text) {
        label->SetLabel(text);
    }
}

void StatusFields::SetFieldTip(int field, const wxString& tip) {
    wxStaticText* label = labels_.at(static_cast<std::size_t>(field));
    const wxToolTip* shown = label->GetToolTip();
    if (tip.empty()) {
        label->UnsetToolTip();
    } else if (shown == nullptr || shown->GetTip() != tip) {
        label->SetToolTip(tip);
    }
}

wxString StatusFields::Field(int field) const {
    return labels_.at(static_cast<std::size_t>(field))->GetLabel();
}

void StatusFields::OnSize(wxSizeEvent& event) {
    Place();
    event.Skip();
}

void StatusFields::Place() {
    for (std::size_t field = 0; field < labels_.size(); ++field) {
        wxRect rect;
        if (!GetFieldRect(static_cast<int>(field), rect)) {
            continue;
        }
        const int height = labels_[field]->GetBestSize().y;
        rect.Deflate(3, 0);
        labels_[field]->SetSize(rect.x, rect.y + (rect.height - height) / 2, rect.width, height);
    }
}

}  // namespace world_view
