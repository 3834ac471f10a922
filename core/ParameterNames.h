#ifndef CORE_PARAMETERNAMES_H
#define CORE_PARAMETERNAMES_H

// What the indices of SystemParameters hold: the one table of names that every reader and
// writer of the record uses. [Name + c] is per camera c (0..7), [Name + k] per detect stage k
// (0..7, stage 0 the product, stage 1 the mould cavity), [Name + i] per input or output i.
// Units and value ranges are given where a reader needs them.
namespace Param {

// Per camera. Thermal cameras read the first five as emissivity x 100, reflected temperature,
// ambient temperature, thermometry range and distance x 100.
constexpr int Exposure = 0;                  // milliseconds
constexpr int Gain = 8;                      // 0..64
constexpr int Sharpness = 16;                // 0..100
constexpr int Contrast = 24;                 // 0..200
constexpr int Gamma = 32;                    // 0..250
constexpr int MirrorHorizontal = 40;
constexpr int MirrorVertical = 48;
constexpr int ThermalDistance = 56;          // network thermal camera: low 16 bits, centimetres
constexpr int ReflectionValue = 64;          // 0..2
constexpr int ColourOutput = 183;            // colour frames instead of grey
constexpr int CameraEnabled = 193;

// Per detect stage.
constexpr int CaptureDelay = 72;             // tenths of a second
constexpr int TriggerInput = 81;             // stages 0 and 1; 255: either of two inputs
constexpr int StageEnabled = 119;            // stages 0..3, derived from the machine mode

// Machine I/O.
constexpr int InputPolarity = 99;            // + input 0..7
constexpr int OutputIdleLevel = 108;         // + output 0..9
constexpr int LaterOutputsIdleLevel = 112;   // 113..117 are copies of it
constexpr int SpareInputMode = 153;          // 1..3: input 4 stands in for input 1..3
constexpr int SpareOutputSource = 174;       // 1..10: output 4 follows output n
constexpr int IoPort = 182;                  // the board's port is "COM" + (value + 1)
constexpr int MachineMode = 205;             // active: 0 standard, 1 two-colour, 2 rotary table
constexpr int ConfiguredMachineMode = 206;   // what the settings change; 205 at the next load
constexpr int MouldSide = 207;               // modes 1 and 2: 0..3
constexpr int MultiStageCount = 244;         // stages of the multi-stage I/O page, 2..8

// Run controller: cycle, outputs and pulses.
constexpr int SemiAutomatic = 118;           // the cavity stage waits for the ejector-back end
constexpr int StopClampOnStop = 128;
constexpr int CutEjectorWhenClamping = 130;
constexpr int ProductStage = 133;            // the product stage is in use
constexpr int CavityRechecks = 143;
constexpr int EjectorPulse = 144;            // steps of 100 ms
constexpr int ClampPulse = 145;              // steps of 100 ms
constexpr int NoSignalSeconds = 146;
constexpr int DebounceSteps = 147;           // steps of 100 ms
constexpr int AlarmPulse = 148;              // steps of 100 ms
constexpr int NoEjectorControl = 151;
constexpr int MultiOutput = 152;             // a product NG pulses outputs instead of latching
constexpr int ClampCutAfterOk = 154;
constexpr int EjectorCutAfterOk = 155;
constexpr int PulseMode = 156;               // 0: the alarm latches
constexpr int CutEjectorOnProductAlarm = 157;
constexpr int CutClampOnMouldAlarm = 158;
constexpr int SeparateSignals = 159;
constexpr int TemperatureNoStop = 160;       // a temperature NG leaves the verdict OK
constexpr int DoorCheck = 171;               // the safety door triggers the cavity stage
constexpr int PreCut = 208;                  // tenths of a second
constexpr int FreeRun = 322;                 // a cycle starts on every idle pass
constexpr int ExternalTrigger = 323;         // camera-triggered frames
constexpr int FirstOutputDelay = 358;        // steps of 100 ms
constexpr int SecondOutputDelay = 359;       // steps of 100 ms

// Detection.
constexpr int CopyRegions = 127;             // the cavity stages follow the product stages
constexpr int MotionCorrection = 129;        // 0 on, -1 off
constexpr int TemplateAutoUpdate = 132;
constexpr int TemplateCount = 135;           // 1..100 per stage
constexpr int NgImagesToKeep = 136;
constexpr int OkImagesToKeep = 137;
constexpr int FrameRate = 139;               // level handed to the cameras
constexpr int Amplify = 140;                 // 0..4
constexpr int FilterSize = 149;
constexpr int AlarmArea = 150;
constexpr int DefectToolEnabled = 166;
constexpr int SpotToolEnabled = 167;
constexpr int IgnoreToolEnabled = 168;
constexpr int PositioningToolEnabled = 169;
constexpr int RegionParameters = 170;        // each region's own parameters are used
constexpr int ZoomEnabled = 161;             // the single shown camera view may be zoomed
constexpr int PositioningOffset = 175;       // largest offset of the positioning search
constexpr int InvertedArea = 176;            // the template is an NG image
constexpr int MatchBrightness = 180;
constexpr int Registration = 181;
constexpr int ColourToGrey = 191;            // colour cameras judged on grey, not on hue
constexpr int NoLensOptimization = 192;      // the cameras' lens optimisation is off
constexpr int MinimumSpot = 201;
constexpr int AutoExposure = 209;
constexpr int WideDynamicRange = 210;
constexpr int BlackAreaToolEnabled = 211;
constexpr int WhiteAreaToolEnabled = 212;
constexpr int WhiteCountToolEnabled = 213;
constexpr int TemperatureToolEnabled = 214;  // thermal and simulated cameras only
constexpr int SimilarityToolEnabled = 215;
constexpr int RotationRange = 216;           // degrees, 0..180

// User interface, access and records.
constexpr int PasswordUsed = 131;
constexpr int StoredSerialCount = 134;       // counted when the camera serials are loaded
constexpr int BacklightSeconds = 138;        // 0: the screen stays on
constexpr int LogoutSeconds = 141;
constexpr int NoCheckAsksLogin = 162;        // not checking a mould asks for the password
constexpr int AddTemplateAsksLogin = 163;    // adding a template asks for the password
constexpr int StopAsksLogin = 164;           // stopping asks who stops, even without PasswordUsed
constexpr int OpenDoorFirst = 165;           // a latched alarm is handled once the door opened
constexpr int Statistics = 173;              // verdicts are counted per hour
constexpr int OutlinesWhileRunning = 177;    // the views outline their regions between verdicts
constexpr int LogEnabled = 178;
constexpr int ManualCaptureShown = 202;      // the side menu offers the manual capture
constexpr int FactoryParametersShown = 204;  // the settings show the factory parameters
constexpr int TemperatureChart = 203;        // the temperature chart window can be opened
constexpr int Scratch = 217;                 // target of the stored positions without a setting
constexpr int Password = 218;                // 218..242: the password text
constexpr int LoadMarker = 306;              // set to 4 by every load
constexpr int RecordMinutes = 324;           // timed recording of the result store
constexpr int ParameterGroup = 357;          // kept in "sysadd.txt"

} // namespace Param

#endif
