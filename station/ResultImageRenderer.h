#ifndef STATION_RESULTIMAGERENDERER_H
#define STATION_RESULTIMAGERENDERER_H

// What the verdict handling needs of the result image rendering of the camera views, which
// implements it; tests implement it with a plain struct. The run controller keeps the result
// codes and the archiver's pending flags itself; this only draws. GUI thread.
class ResultImageRenderer
{
public:
    virtual ~ResultImageRenderer() = default;

    // Renders the evaluated image of the camera's stage into its result image slot
    // (ok 0: the NG slot, 1: the OK slot).
    virtual void SaveFailImage(int camera, int detect, int ok) = 0;
    // Stamps the operator's decision that resultCode stands for (4 not detected, 5 taken as
    // template, 7 examined again, 8 OK image after a re-examination) onto an image already in
    // the slot.
    virtual void UpdateFailImage(int camera, int detect, int slot, int resultCode) = 0;
    // Lets the camera's view blink the NG pixels of its last evaluation.
    virtual void StartAlarmBlink(int camera) = 0;
};

#endif
