#ifndef CAMERAS_CAMERASERIALS_H
#define CAMERAS_CAMERASERIALS_H

// Writes the camera slot identities (cameraSlotSerials) to the serial rows "serialNB0" to
// "serialNB7" of table sysparam in "SN.db" (connection "dbT"), in one transaction, and records
// "Save SN %1: %2" for each slot below cameraCount. With clear 1 every slot becomes "0"; with
// clear 0 each camera k's identity (from cameraBindingHost) goes to slot cameraSlotOfCamera[k]
// and the other slots become "0". Returns false, and logs why, when nothing or not everything
// could be saved.
bool saveCameraSerials(int clear);

// The start-up prompts after the cameras were created (uses cameraBindingHost):
// - simulated cameras: uiTexts entry 134 asks whether to clear the saved identities; OK
//   clears them;
// - otherwise, when slots held identities at load (system parameter 134) and their number
//   differs from the number of devices found, entry 360 asks the same; OK clears them, closes
//   the databases and reboots the machine.
void confirmCameraBinding();

#endif
