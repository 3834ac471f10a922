#ifndef CORE_FONTFALLBACK_H
#define CORE_FONTFALLBACK_H

// The interface asks for the families "SimHei" and "wenquanyi" by name. Where they are not
// installed (Linux panels), both fall back to WenQuanYi Zen Hei, which covers simplified and
// traditional Chinese and Japanese. Call once after the application object exists.
void installFontFallbacks();

#endif
