#pragma once

/** The product's name and version, as the application reports them and the About panel shows them. */
namespace ProductInfo
{
inline constexpr const char* name = "Karvelo Editor";
inline constexpr const char* version = "1.0.7";
} // namespace ProductInfo
