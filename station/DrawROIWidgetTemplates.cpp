// The page's template, image record and saving commands.

#include "station/DrawROIWidget.h"

#include "station/MoJuWizard.h"
#include "station/RunCodes.h"
#include "uikit/ComboBox.h"

void DrawROIWidget::SlotReturn()
{
    if (mainWindow->DisplayMode == DisplayModes::AlarmLatched) {
        sourceCombo()->setCurrentIndex(1);
        return;
    }
    closeEditor();
}

void DrawROIWidget::SlotNoCheckCur()
{
}

void DrawROIWidget::SlotAddTemp()
{
}

void DrawROIWidget::SlotTempLast()
{
}

void DrawROIWidget::SlotTempNext()
{
}

void DrawROIWidget::SlotTempDeleteCur()
{
}

void DrawROIWidget::SlotTempDeleteAll()
{
}

void DrawROIWidget::SlotTempList(int)
{
}

void DrawROIWidget::SlotSaveData()
{
}

void DrawROIWidget::SlotReCheck()
{
    mainWindow->ReCheckImages();
}

void DrawROIWidget::LoadPic()
{
    recordCount = 0;
}
