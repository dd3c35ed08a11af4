#include "app/setup_frame.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "core/vbtext.h"
#include "setup/site_catalogue.h"
#include "setup/web_screen_slot.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

const char* const kOptionTexts[] = {"Delete Current Graph", "Replace Current Graph",          "Add to Current Page",
                                    "Add on New Page",      "Save all to Tidemark_setup.txt", "Delete Current Page"};

QLineEdit* NamedBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

SetupFrame::SetupFrame(QWidget* parent) : FloatingFrame("Setupframe", parent) {
    auto* grid = new QGridLayout(Body());
    caption_ = new QLabel(this);
    QFont bold = caption_->font();
    bold.setBold(true);
    caption_->setFont(bold);
    grid->addWidget(caption_, 0, 0, 1, 3);

    options_ = new QButtonGroup(this);
    options_->setExclusive(false);  // the command unticks what it carried out
    for (int i = 0; i < 6; ++i) {
        auto* button = new QRadioButton(kOptionTexts[i], this);
        button->setObjectName(QString("SetupOption_%1").arg(i));
        options_->addButton(button, i);
        grid->addWidget(button, 1 + i / 2, i % 2 == 0 ? 0 : 1, 1, i % 2 == 0 ? 1 : 2);
    }
    // One option at a time, as option buttons go.
    connect(options_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (!on) return;
        for (QAbstractButton* b : options_->buttons())
            if (options_->id(b) != id) b->setChecked(false);
    });

    pageTitle_ = NamedBox("TextPageTitle", this);
    dsid_ = NamedBox("SDIDtext", this);
    parameter_ = NamedBox("paramnametext", this);
    station_ = NamedBox("StationNametext", this);
    unit_ = new QLabel(this);
    unit_->setObjectName("Label1");
    step_ = new QSpinBox(this);
    step_->setObjectName("UpDown2");
    step_->setRange(0, 0);
    grid->addWidget(new QLabel("Page title", this), 4, 0);
    grid->addWidget(pageTitle_, 4, 1, 1, 2);
    grid->addWidget(new QLabel("Series number", this), 5, 0);
    grid->addWidget(dsid_, 5, 1);
    grid->addWidget(step_, 5, 2);
    grid->addWidget(new QLabel("Parameter", this), 6, 0);
    grid->addWidget(parameter_, 6, 1, 1, 2);
    grid->addWidget(new QLabel("Station", this), 7, 0);
    grid->addWidget(station_, 7, 1, 1, 2);
    grid->addWidget(unit_, 8, 1, 1, 2);

    allowNav_ = new QCheckBox("Allow navigation", this);
    allowNav_->setObjectName("chkAllowNav");
    resize_ = new QCheckBox("Resize", this);
    resize_->setObjectName("chkResize");
    unitValues_ = new QCheckBox("Plot Unit Values", this);
    unitValues_->setObjectName("UnitValuesCheck");
    maxMin_ = new QCheckBox("Include daily max/min in hourlys", this);
    maxMin_->setObjectName("Checkmaxmin");
    grid->addWidget(allowNav_, 9, 0);
    grid->addWidget(resize_, 9, 1);
    grid->addWidget(unitValues_, 10, 0);
    grid->addWidget(maxMin_, 10, 1, 1, 2);

    editSetup_ = new QPushButton("Setup File", this);
    editSetup_->setObjectName("cmdEditSetup");
    companion_ = new QPushButton("Access", this);
    companion_->setObjectName("cmdLedgerly");
    cancel_ = new QPushButton("Cancel", this);
    save_ = new QPushButton("Save", this);
    save_->setObjectName("CommandSave");
    grid->addWidget(editSetup_, 11, 0);
    grid->addWidget(companion_, 11, 1);
    grid->addWidget(cancel_, 12, 1);
    grid->addWidget(save_, 12, 2);

    connect(dsid_, &QLineEdit::textChanged, this, &SetupFrame::EnableWebScreenSwitches);
    connect(step_, &QSpinBox::valueChanged, this, &SetupFrame::ShowCatalogueEntry);
    // The two kinds of hourly values exclude each other.
    connect(unitValues_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) maxMin_->setChecked(false);
    });
    connect(maxMin_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) unitValues_->setChecked(false);
        Q_EMIT MaxMinChanged(on);
    });
    connect(cancel_, &QPushButton::clicked, this, &QWidget::hide);
    connect(save_, &QPushButton::clicked, this, &SetupFrame::SaveRequested);
    connect(editSetup_, &QPushButton::clicked, this, &SetupFrame::EditSetupRequested);
    connect(companion_, &QPushButton::clicked, this, &SetupFrame::CompanionRequested);
    EnableWebScreenSwitches();
}

QRadioButton* SetupFrame::Option(SetupOption option) const {
    return qobject_cast<QRadioButton*>(options_->button(static_cast<int>(option)));
}

void SetupFrame::Select(SetupOption option) { Option(option)->setChecked(true); }

void SetupFrame::ClearOption() {
    for (QAbstractButton* b : options_->buttons()) b->setChecked(false);
}

void SetupFrame::EnableWebScreenSwitches() {
    std::string text = Trim(ToProgramText(dsid_->text()));
    bool webScreen = text.empty() || text == "-1";
    allowNav_->setEnabled(webScreen);
    resize_->setEnabled(webScreen);
}

void SetupFrame::Fill(int shownPage, int slot, const std::string& pageTitle, const GraphDef& graph,
                      const SiteCatalogue& catalogue, const SetupSettings& settings) {
    catalogue_ = &catalogue;
    caption_->setText(QString("Graph %1 of 12, Page %2").arg(slot + 1).arg(shownPage));
    pageTitle_->setText(ProgramText(pageTitle));
    dsid_->setText(QString::number(graph.dsid));
    station_->setText(ProgramText(graph.stationname));
    parameter_->setText(ProgramText(graph.parametername));
    {
        QSignalBlocker quiet(maxMin_);
        unitValues_->setChecked(settings.plotunitvalues);
        maxMin_->setChecked(settings.includedailymaxmin);
    }
    // The switches of the screen as it is, so that replacing it changes only what the
    // user changes here.
    const bool webScreen = graph.Kind() == SlotKind::WebScreen;
    const WebScreenView web(graph);
    allowNav_->setChecked(webScreen && web.AllowNavigation());
    resize_->setChecked(webScreen && web.FitImage());

    std::optional<int> entry = EntryOf(graph, catalogue);
    // Nothing of the graph shown before may stay beside this one.
    unit_->setText(entry ? ProgramText(catalogue.Entry(*entry).unitname) : QString());
    // Placing the control on the graph's entry must not overwrite the graph's boxes.
    QSignalBlocker quiet(step_);
    step_->setRange(catalogue.Empty() ? 0 : 1, catalogue.Count());
    step_->setValue(entry.value_or(catalogue.Count()));
}

std::optional<int> SetupFrame::EntryOf(const GraphDef& graph, const SiteCatalogue& catalogue) {
    // Web screens share one series number: theirs is the entry of their own address.
    const bool webScreen = graph.Kind() == SlotKind::WebScreen;
    for (int n = 1; n <= catalogue.Count(); ++n) {
        const SiteEntry& e = catalogue.Entry(n);
        if (e.dsid == graph.dsid && (!webScreen || e.sitename == graph.stationname)) return n;
    }
    return std::nullopt;
}

void SetupFrame::ShowCatalogueEntry(int number) {
    if (!catalogue_ || number < 1 || number > catalogue_->Count()) return;
    const SiteEntry& e = catalogue_->Entry(number);
    dsid_->setText(QString::number(e.dsid));
    station_->setText(ProgramText(e.sitename));
    parameter_->setText(ProgramText(e.datatypename));
    unit_->setText(ProgramText(e.unitname));
    if (e.dsid == kWebScreenDsid) {
        allowNav_->setChecked(Val(e.allownavigation) != 0);
        resize_->setChecked(Val(e.fitimage) != 0);
    }
}

SetupFrameState SetupFrame::State() const {
    SetupFrameState s;
    int ticked = -1;
    for (QAbstractButton* b : options_->buttons())
        if (b->isChecked()) ticked = options_->id(b);
    if (ticked >= 0) s.option = static_cast<SetupOption>(ticked);
    s.pageTitle = ToProgramText(pageTitle_->text());
    s.graph.dsid = ToProgramText(dsid_->text());
    s.graph.parameterName = ToProgramText(parameter_->text());
    s.graph.stationName = ToProgramText(station_->text());
    s.graph.allowNavigation = allowNav_->isChecked();
    s.graph.resize = resize_->isChecked();
    s.plotUnitValues = unitValues_->isChecked();
    return s;
}

}  // namespace tidemark
