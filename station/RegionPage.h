#ifndef STATION_REGIONPAGE_H
#define STATION_REGIONPAGE_H

// What the run controller needs of the region and template editor page (DrawROIWidget), which
// implements it; tests implement it with a plain struct. The main window calls it on the GUI
// thread.
class RegionPage
{
public:
    virtual ~RegionPage() = default;

    // Opens the page on the camera shown: when an NG alarm latches and when re-sampling has
    // finished. The caller sets DisplayMode first.
    virtual void enterEditor() = 0;
    // Closes the page when a latched alarm is released.
    virtual void closeEditor() = 0;
    // Saves what the operator edited, then examines the current images again
    // (MoJuWizard::ReCheckImages); called when the safety door is seen while an alarm is
    // latched.
    virtual void SlotReCheck() = 0;
    // Deletes every template of every camera and stage, before re-sampling takes new ones.
    virtual void SlotTempDeleteAll() = 0;
};

#endif
