#pragma once

// The maker's web address, as the about boxes and the firmware notice give it.
inline constexpr char16_t kMakerWebAddress[] = u"www.halden.example";
