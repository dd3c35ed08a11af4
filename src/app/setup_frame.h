#pragma once
// The setup frame: the option to carry out on the current graph or page, the boxes of a
// graph to put in place (filled by stepping through the site catalogue), the two
// fetching switches, and the buttons for the setup file and the companion loader.
#include <optional>

#include "app/floating_frame.h"
#include "pages/setup_command.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tidemark {

class SiteCatalogue;

class SetupFrame : public FloatingFrame {
    Q_OBJECT
public:
    explicit SetupFrame(QWidget* parent);

    // Fills the boxes from a graph, its unit and switches included, and finds its
    // catalogue entry (the last one when none has its series number). `shownPage` is the
    // page's number as the user counts it (and saving writes it): removed pages left out.
    void Fill(int shownPage, int slot, const std::string& pageTitle, const GraphDef& graph,
              const SiteCatalogue& catalogue, const SetupSettings& settings);
    // Puts catalogue entry `number` into the graph boxes.
    void ShowCatalogueEntry(int number);

    SetupFrameState State() const;
    void Select(SetupOption option);
    void ClearOption();

    QRadioButton* Option(SetupOption option) const;
    QLineEdit* PageTitle() const { return pageTitle_; }
    QLineEdit* Dsid() const { return dsid_; }
    QLineEdit* StationName() const { return station_; }
    QLabel* Unit() const { return unit_; }
    QSpinBox* CatalogueStep() const { return step_; }
    QCheckBox* AllowNavigation() const { return allowNav_; }
    QCheckBox* Resize() const { return resize_; }
    QCheckBox* PlotUnitValues() const { return unitValues_; }
    QCheckBox* IncludeMaxMin() const { return maxMin_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* SetupFileButton() const { return editSetup_; }
    QPushButton* CompanionButton() const { return companion_; }
    QPushButton* CancelButton() const { return cancel_; }
    QLabel* Caption() const { return caption_; }

Q_SIGNALS:
    void SaveRequested();
    void EditSetupRequested();
    void CompanionRequested();
    // "Include daily max/min in hourlys" changed by the user.
    void MaxMinChanged(bool on);

private:
    void EnableWebScreenSwitches();
    static std::optional<int> EntryOf(const GraphDef& graph, const SiteCatalogue& catalogue);

    const SiteCatalogue* catalogue_ = nullptr;
    QLabel* caption_;
    QButtonGroup* options_;
    QLineEdit* pageTitle_;
    QLineEdit* dsid_;
    QLineEdit* parameter_;
    QLineEdit* station_;
    QLabel* unit_;
    QSpinBox* step_;
    QCheckBox* allowNav_;
    QCheckBox* resize_;
    QCheckBox* unitValues_;
    QCheckBox* maxMin_;
    QPushButton* editSetup_;
    QPushButton* companion_;
    QPushButton* cancel_;
    QPushButton* save_;
};

}  // namespace tidemark
