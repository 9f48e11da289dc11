// The face the clock starts with, compiled in so that a missing, refused or damaged face file
// still shows a clock: the package bytes of one of the shipped faces (tools/make_faces.py
// writes builtin_face.cpp).
#pragma once

#include <string_view>

namespace tobu {

std::string_view BuiltinClockFacePackage();

} // namespace tobu
