#pragma once

/** The product's name and version, as the application reports them and the About panel shows them.
    The version is the CMake project's (KARVELO_VERSION). */
namespace ProductInfo
{
inline constexpr const char* name = "Karvelo Editor";
inline constexpr const char* version = KARVELO_VERSION;
} // namespace ProductInfo
