#include "world_view/world_frame.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <utility>

#include "world/game_worlds.h"
#include "world_view/readouts.h"
#include "world_view/status_fields.h"
#include "world_view/view_cameras.h"

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/config.h>
#include <wx/panel.h>
#include <wx/persist/toplevel.h>
#include <wx/sizer.h>

namespace world_view {

namespace {

// Terrain kept in memory, and at most as much again on the GPU.
constexpr std::size_t CacheBytes = std::size_t{512} << 20;
constexpr int PollInterval = 100;  // ms: the terrain folder and the loading world
constexpr const char* LastWorldKey = "/World/Last";
constexpr const char* ShadingKey = "/World/Shading";
constexpr const char* HintClosedKey = "/World/HintClosed";
constexpr std::array Shadings = {world::Shading::Height, world::Shading::Hillshade,
                                 world::Shading::Both};
// Unreadable sectors named one a line on stderr; all of them are in the state field's tooltip,
// up to TipLines lines.
constexpr std::size_t NamedOnStderr = 5;
constexpr std::size_t TipLines = 40;

// "Velmora World – East", with an en dash.
wxString TitleFor(const std::string& world) {
    return wxString::FromUTF8("Velmora World \xE2\x80\x93 ") + wxString::FromUTF8(world);
}

bool SameFolded(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

WorldFrame::WorldFrame(const wxGLAttributes& attributes, std::optional<world::Camera> camera)
    : wxFrame(nullptr, wxID_ANY, "Velmora World", wxDefaultPosition, wxSize(1024, 720)),
      firstCamera_(camera),
      poll_(this) {
    SetMinClientSize(wxSize(1, 1));

    // A plain row of controls rather than a wxToolBar: GTK's tool bar complains on stderr when a
    // window manager first gives the window a tiny size.
    tools_ = new wxPanel(this);
    wxPanel* tools = tools_;
    auto* toolSizer = new wxBoxSizer(wxHORIZONTAL);
    const auto addLabelled = [&](const wxString& label, wxWindow* control) {
        toolSizer->Add(new wxStaticText(tools, wxID_ANY, label), 0,
                       wxALIGN_CENTRE_VERTICAL | wxLEFT | wxRIGHT, 6);
        toolSizer->Add(control, 0, wxALIGN_CENTRE_VERTICAL | wxTOP | wxBOTTOM | wxRIGHT, 3);
    };
    chooser_ = new wxChoice(tools, wxID_ANY, wxDefaultPosition, wxSize(150, -1));
    chooser_->SetName("World");
    addLabelled("World", chooser_);
    shading_ = new wxChoice(tools, wxID_ANY);
    shading_->SetName("Shading");
    for (const world::Shading shading : Shadings) {
        shading_->Append(wxString(std::string(world::ShadingName(shading))));
    }
    shading_->SetToolTip(
        "How the ground is shaded: by height, by light on its slopes, or both (L)");
    addLabelled("Shading", shading_);
    // Home's button: the way back from anywhere, there to be seen.
    wholeWorld_ = new wxButton(tools, wxID_ANY, "Whole world");
    wholeWorld_->SetToolTip("Back to the whole world (Home)");
    toolSizer->Add(wholeWorld_, 0, wxALIGN_CENTRE_VERTICAL | wxALL, 3);
    wholeWorld_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        canvas_->GoHome();
        canvas_->SetFocus();
    });

    // The controls in a line on the row's free end, so that it takes nothing of the view; the
    // rest of them in its tooltip. Shown until closed, where the row has room for it.
    hintClosed_ = wxConfigBase::Get()->ReadBool(HintClosedKey, false);
    hint_ = new wxPanel(tools);
    hint_->SetName("How to fly");
    auto* hintSizer = new wxBoxSizer(wxHORIZONTAL);
    auto* hintText = new wxStaticText(
        hint_, wxID_ANY, "W A S D or arrows fly, E Q up and down, drag turns; Home: whole world");
    hintText->SetToolTip(
        "W A S D or the arrows fly, E and Q (Page Up, Page Down) rise and sink, Shift goes "
        "faster; a left drag turns, a right drag slides, the wheel lowers and raises; a double "
        "click glides to a place; Home or Whole world shows the whole world");
    hintSizer->Add(hintText, 0, wxALIGN_CENTRE_VERTICAL | wxLEFT | wxRIGHT, 6);
    // Words rather than a cross: GTK gives a button its label as the name a screen reader says.
    auto* closeHint =
        new wxButton(hint_, wxID_ANY, "Close", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    closeHint->SetToolTip("Close the hint");
    closeHint->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CloseHint(); });
    hintSizer->Add(closeHint, 0, wxALIGN_CENTRE_VERTICAL | wxTOP | wxBOTTOM | wxRIGHT, 3);
    hint_->SetSizer(hintSizer);
    toolSizer->AddStretchSpacer();
    toolSizer->Add(hint_, 0, wxALIGN_CENTRE_VERTICAL);
    hint_->Hide();
    tools->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        FitHint();
        event.Skip();
    });
    tools->SetSizer(toolSizer);

    status_ = new StatusFields(this, {-2, 130, 220, -3});
    SetStatusBar(status_);

    canvas_ = new WorldCanvas(this, attributes);
    messagePanel_ = new wxPanel(this);
    message_ = new wxStaticText(messagePanel_, wxID_ANY, wxString(), wxDefaultPosition,
                                wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL);
    auto* messageSizer = new wxBoxSizer(wxVERTICAL);
    messageSizer->AddStretchSpacer();
    messageSizer->Add(message_, 0, wxEXPAND | wxALL, 24);
    messageSizer->AddStretchSpacer();
    messagePanel_->SetSizer(messageSizer);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(tools, 0, wxEXPAND);
    sizer->Add(canvas_, 1, wxEXPAND);
    sizer->Add(messagePanel_, 1, wxEXPAND);
    SetSizer(sizer);
    messagePanel_->Hide();

    canvas_->cameraMoved = [this] { UpdateCamera(); };
    canvas_->groundChanged = [this](const std::string& text) {
        status_->SetField(GroundField, wxString::FromUTF8(text));
    };
    canvas_->drawingFailed = [this](const std::string& reason) {
        ShowMessage("The world cannot be drawn here: " + wxString::FromUTF8(reason));
    };

    // The shading shown last time.
    const wxString shadingName = wxConfigBase::Get()->Read(ShadingKey, "height");
    const std::optional<world::Shading> shading =
        world::ParseShading(std::string_view(shadingName.utf8_str().data()));
    SetShading(shading.value_or(world::Shading::Height));

    chooser_->Bind(wxEVT_CHOICE, &WorldFrame::OnChoice, this);
    shading_->Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
        const int index = event.GetSelection();
        if (index >= 0 && static_cast<std::size_t>(index) < Shadings.size()) {
            SetShading(Shadings[static_cast<std::size_t>(index)]);
        }
        canvas_->SetFocus();
    });
    Bind(wxEVT_CHAR_HOOK, &WorldFrame::OnCharHook, this);
    Bind(wxEVT_TIMER, &WorldFrame::OnPoll, this, poll_.GetId());

    // Size, place and maximised state as they were last time.
    wxPersistentRegisterAndRestore(this, "WorldWindow");
}

WorldFrame::~WorldFrame() {
    poll_.Stop();
    // The canvas draws the model: it lets go first.
    canvas_->ShowWorld(nullptr, canvas_->Camera());
}

std::filesystem::path WorldFrame::TerrainOf(const std::string& name) const {
    return install_.Below("world_cache\\" + name + "quarlend\\terrain");
}

void WorldFrame::Start(const std::string& requested) {
    UpdateCamera();
    if (!canvas_->HasContext()) {
        ShowMessage(
            "OpenGL 4.5 (core profile) is not available on this display, and the "
            "world view needs it.");
        return;
    }
    install_ = FindGameInstall();
    if (!install_.found) {
        ShowMessage(wxString::FromUTF8(install_.problem));
        return;
    }
    const std::filesystem::path cache = install_.Below("world_cache");
    worlds_ = world::ListWorlds(cache);
    for (const std::string& name : worlds_) {
        chooser_->Append(wxString::FromUTF8(name.empty() ? std::string("(unnamed)") : name));
    }
    if (worlds_.empty()) {
        ShowMessage("The game's world cache holds no world yet:\n" +
                    wxString::FromUTF8(cache.string()));
        return;
    }
    std::string wanted = requested;
    if (wanted.empty()) {
        wanted = wxConfigBase::Get()->Read(LastWorldKey, wxString()).ToStdString(wxConvUTF8);
    }
    auto chosen = std::find_if(worlds_.begin(), worlds_.end(), [&](const std::string& name) {
        return SameFolded(name, wanted) || SameFolded(name + "quarlend", wanted);
    });
    if (chosen == worlds_.end()) {
        if (!requested.empty()) {
            stateNote_ = "no world named \"" + wxString::FromUTF8(requested) + "\"";
        }
        chosen = worlds_.begin();
    }
    Load(*chosen);
    poll_.Start(PollInterval);
}

void WorldFrame::Load(const std::string& name) {
    const auto index = std::find(worlds_.begin(), worlds_.end(), name) - worlds_.begin();
    chooser_->SetSelection(static_cast<int>(index));
    if (loader_) {
        loader_->Stop();
        abandoned_.push_back(std::move(loader_));
    }
    loadingName_ = name;
    // The view shows the world it has until the new one is ready.
    loadingReports_ = std::make_shared<SectorReports>();
    // The model is shown as soon as it is made, not at the next poll.
    loader_ = std::make_unique<WorldLoader>(TerrainOf(name), CacheBytes, loadingReports_,
                                            [this] { CallAfter(&WorldFrame::CheckLoading); });
    UpdateState();
}

void WorldFrame::OnChoice(wxCommandEvent& event) {
    const int index = event.GetSelection();
    if (index >= 0 && static_cast<std::size_t>(index) < worlds_.size()) {
        Load(worlds_[static_cast<std::size_t>(index)]);
    }
    canvas_->SetFocus();
}

void WorldFrame::OnPoll(wxTimerEvent&) {
    CheckLoading();
    ApplyChanges();
    UpdateState();
}

void WorldFrame::CheckLoading() {
    std::erase_if(abandoned_, [](const auto& loader) { return loader->Finished(); });
    if (loader_ && loader_->Finished()) {
        FinishLoading();
        UpdateState();
    }
}

void WorldFrame::FinishLoading() {
    std::unique_ptr<WorldLoader> loader = std::move(loader_);
    canvas_->ShowWorld(nullptr, canvas_->Camera());
    model_.reset();
    std::unique_ptr<world::WorldModel> model = loader->TakeModel();
    shownName_ = loadingName_;
    reports_ = std::move(loadingReports_);
    unreadable_.clear();
    namedOnStderr_ = 0;
    SetTitle(TitleFor(shownName_));
    wxConfigBase::Get()->Write(LastWorldKey, wxString::FromUTF8(shownName_));
    const std::filesystem::path terrain = TerrainOf(shownName_);
    watch_ = loader->TakeWatch();
    if (!model) {
        // Watched all the same: the world is loaded again when its first sector comes.
        ShowMessage(wxString::FromUTF8("The world " + shownName_ + " cannot be shown: " +
                                       loader->Failure() + ".\n" + terrain.string()));
        if (watch_ && !watch_->Active()) {
            watch_.reset();
        }
        return;
    }
    ShowModel(std::move(model));
}

void WorldFrame::ShowModel(std::unique_ptr<world::WorldModel> model) {
    model_ = std::move(model);
    world::Camera camera = world::OverviewCamera(model_->Extent());
    if (firstCamera_) {
        camera = *firstCamera_;
        firstCamera_.reset();
    }
    ShowView();
    canvas_->ShowWorld(model_.get(), camera);
}

void WorldFrame::ApplyChanges() {
    if (!watch_) {
        return;
    }
    std::vector<world::WorldModel::SectorChange> changes;
    for (const world::TerrainChange& change : watch_->Poll(world::TerrainWatch::Clock::now())) {
        if (change.kind == world::TerrainChange::Kind::WorldGone) {
            canvas_->ShowWorld(nullptr, canvas_->Camera());
            model_.reset();
            watch_.reset();
            ShowMessage(wxString::FromUTF8("The world " + shownName_ +
                                           " is gone from the game's cache:\n" +
                                           TerrainOf(shownName_).string()));
            return;
        }
        if (!model_) {
            if (change.kind == world::TerrainChange::Kind::Written && !loader_) {
                Load(shownName_);
            }
            continue;
        }
        // Found unreadable again if it still is.
        std::erase_if(unreadable_,
                      [&](const SectorReport& report) { return report.name == change.sector; });
        changes.push_back({{change.sector, change.heightmap.string()},
                           change.kind != world::TerrainChange::Kind::Written});
    }
    if (!changes.empty()) {
        // A burst of the game's writes makes the levels anew once, not once a file.
        model_->SectorsChanged(changes);
        canvas_->WorldChanged();
    }
}

void WorldFrame::ShowMessage(const wxString& message) {
    message_->SetLabel(message);
    message_->Wrap(std::max(200, GetClientSize().x - 48));
    status_->SetField(StateField, message.BeforeFirst('\n'));
    if (!messagePanel_->IsShown()) {
        canvas_->ReleaseDrawing();
        canvas_->Hide();
        messagePanel_->Show();
        Layout();
    }
    messagePanel_->Layout();
    // Somewhere for the keys to go (Ctrl+Q, F11) now that the view is hidden.
    messagePanel_->SetFocus();
}

void WorldFrame::ShowView() {
    if (!canvas_->IsShown()) {
        messagePanel_->Hide();
        canvas_->Show();
        Layout();
    }
    canvas_->SetFocus();
}

void WorldFrame::UpdateCamera() {
    const world::Camera& camera = canvas_->Camera();
    status_->SetField(AnglesField, AnglesText(camera));
    status_->SetField(PositionField, PositionText(camera));
}

void WorldFrame::TakeReports() {
    if (!reports_) {
        return;
    }
    for (SectorReport& report : reports_->Take()) {
        std::erase_if(unreadable_,
                      [&](const SectorReport& known) { return known.name == report.name; });
        if (namedOnStderr_ < NamedOnStderr) {
            std::fprintf(stderr, "velmora-world: cannot read %s: %s; drawn as a hole\n",
                         report.path.c_str(), report.reason.c_str());
        } else if (namedOnStderr_ == NamedOnStderr) {
            std::fprintf(stderr,
                         "velmora-world: more unreadable sectors in %s; the status bar counts "
                         "them and its tooltip names them\n",
                         shownName_.c_str());
        }
        ++namedOnStderr_;
        unreadable_.push_back(std::move(report));
    }
}

wxString WorldFrame::LeftOutTip() const {
    wxString tip;
    std::size_t lines = 0;
    const auto line = [&](const std::string& text) {
        if (lines++ < TipLines) {
            tip += (tip.empty() ? "" : "\n") + wxString::FromUTF8(text);
        }
    };
    for (const SectorReport& report : unreadable_) {
        line(report.name + ": " + report.reason + " (" + report.path + ")");
    }
    if (model_) {
        for (const world::SharedPlace& shared : model_->SharedPlaces()) {
            line(shared.name + ": left out, " + shared.drawn + " is drawn at its place");
        }
    }
    if (lines > TipLines) {
        tip += wxString::Format("\nand %zu more", lines - TipLines);
    }
    return tip;
}

void WorldFrame::UpdateState() {
    TakeReports();
    std::vector<std::string> unreadable;
    for (const SectorReport& report : unreadable_) {
        unreadable.push_back(report.name);
    }
    canvas_->SetUnreadable(unreadable);
    wxString state;
    if (loader_) {
        state = LoadingText(loader_->Done(), loader_->Total());
        if (!loadingName_.empty()) {
            state = wxString::FromUTF8(loadingName_) + ": " + state;
        }
    } else if (model_) {
        state = wxString::FromUTF8(shownName_);
        if (!unreadable_.empty()) {
            state += wxString::Format(", %zu unreadable %s drawn as holes", unreadable_.size(),
                                      unreadable_.size() == 1 ? "sector" : "sectors");
        }
        if (const std::size_t shared = model_->SharedPlaces().size(); shared > 0) {
            state +=
                wxString::Format(", %zu %s left out (another name gives %s place)", shared,
                                 shared == 1 ? "sector" : "sectors", shared == 1 ? "its" : "their");
        }
    } else {
        return;  // the message says it
    }
    if (!stateNote_.empty()) {
        state = stateNote_ + "; " + state;
    }
    status_->SetField(StateField, state);
    status_->SetFieldTip(StateField, LeftOutTip());
}

void WorldFrame::SetShading(world::Shading shading) {
    canvas_->SetShading(shading);
    shading_->SetSelection(
        static_cast<int>(std::find(Shadings.begin(), Shadings.end(), shading) - Shadings.begin()));
    wxConfigBase::Get()->Write(ShadingKey, wxString(std::string(world::ShadingName(shading))));
}

void WorldFrame::CopyCamera() {
    wxClipboard* clipboard = wxTheClipboard;
    if (clipboard->Open()) {
        clipboard->SetData(new wxTextDataObject(CameraArgument(canvas_->Camera())));
        clipboard->Close();
    }
}

void WorldFrame::ToggleFullScreen() {
    // The status bar stays: it carries the readouts. The row of controls goes, as a tool bar
    // would.
    const bool full = !IsFullScreen();
    tools_->Show(!full);
    ShowFullScreen(full, wxFULLSCREEN_ALL & ~wxFULLSCREEN_NOSTATUSBAR);
    Layout();
}

void WorldFrame::CloseHint() {
    hintClosed_ = true;
    // Kept at once: closed once is closed for good, however the program ends.
    wxConfigBase::Get()->Write(HintClosedKey, true);
    wxConfigBase::Get()->Flush();
    FitHint();
    canvas_->SetFocus();
}

void WorldFrame::FitHint() {
    const int free = tools_->GetClientSize().x - wholeWorld_->GetRect().GetRight() - 6;
    const bool shown = !hintClosed_ && hint_->GetBestSize().x <= free;
    if (shown != hint_->IsShown()) {
        hint_->Show(shown);
        tools_->Layout();
    }
}

void WorldFrame::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    const int modifiers = event.GetModifiers();
    if (key == WXK_F11 && modifiers == wxMOD_NONE) {
        ToggleFullScreen();
    } else if (key == WXK_ESCAPE && modifiers == wxMOD_NONE && IsFullScreen()) {
        ToggleFullScreen();
    } else if (key == WXK_HOME && modifiers == wxMOD_NONE) {
        canvas_->GoHome();
    } else if (key == 'Q' && modifiers == wxMOD_CONTROL) {
        Close(true);
    } else if (key == 'C' && modifiers == wxMOD_CONTROL) {
        CopyCamera();
    } else if (key == 'L' && modifiers == wxMOD_NONE) {
        const auto next = (std::find(Shadings.begin(), Shadings.end(), canvas_->Shading()) -
                           Shadings.begin() + 1) %
                          static_cast<std::ptrdiff_t>(Shadings.size());
        SetShading(Shadings[static_cast<std::size_t>(next)]);
    } else {
        event.Skip();
    }
}

}  // namespace world_view
