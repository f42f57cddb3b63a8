#pragma once
// Which engine computed: results of two engines are never mixed.
//
// EngineVersion() is for people: the project's version and the commit of its sources (marked "-dirty"
// when built from uncommitted changes; the project's version alone for sources without git).
// EngineIdentity() is what transfer caches and the parts of split runs carry and are checked against.
// It changes whenever anything that can change a number changes: it holds, after the version, a digest
// made at build time of the sources of the calculation's layers (geometry, model, acoustics,
// propagation, calc) and of the compiler and its flags, and the version of the C library, whose
// mathematical functions the calculation calls.
#include <string>
#include <string_view>

namespace kelmora {

std::string_view EngineVersion();

// The build-time digest alone: 32 hexadecimal digits (cmake/EngineVersion.cmake).
std::string_view EngineSourceDigest();

// "<version> engine <digest> glibc <C library version>", e.g. "0.1+a7076e6c1f2b engine 3f9c…e1 glibc 2.36".
const std::string& EngineIdentity();

}  // namespace kelmora
