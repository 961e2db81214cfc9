// Photo data as a gallery shows it: aperture, exposure time, focal length, ISO, when the photo
// was taken, the camera, the lens, where it was taken and its size, written the German way.
//
// The metadata reader finds the raw values (exiv2 knows which tag holds what, also in maker
// notes) and hands them to these formatters; a record keeps the results in its PhotoData list,
// under the names below, and templates reach them as "%EXIF:<name>%". A value that is missing,
// malformed or absurd (a zero denominator, a negative time, a date that is no date, an endless
// maker string) gives an empty text, and the reader then adds no entry, so a template can test
// an entry with DoesExist.
//
// Free functions without state; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

// The names of a record's PhotoData entries.
inline constexpr const char* kPhotoAperture = "APERTURE";            // "f/5,6"
inline constexpr const char* kPhotoExposure = "EXPOSURE";            // "1/500 s", "0,5 s", "2 s"
inline constexpr const char* kPhotoFocalLength = "FOCALLENGTH";      // "35 mm", "4,3 mm"
inline constexpr const char* kPhotoFocalLength35 = "FOCALLENGTH35";  // "52 mm"
inline constexpr const char* kPhotoIso = "ISO";                      // "400"
inline constexpr const char* kPhotoDate = "DATE";                    // "24.05.2023"
inline constexpr const char* kPhotoTime = "TIME";                    // "13:36"
inline constexpr const char* kPhotoCamera = "CAMERA";                // "NIKON D5100"
inline constexpr const char* kPhotoLens = "LENS";                    // "18.0-55.0 mm f/3.5-5.6"
inline constexpr const char* kPhotoGps = "GPS";                      // "47.376887,8.541694"
inline constexpr const char* kPhotoWidth = "WIDTH";                  // upright, in pixels
inline constexpr const char* kPhotoHeight = "HEIGHT";

// A TIFF rational as stored: unsigned or signed numerator and denominator.
struct TRational {
  int64_t numerator = 0;
  int64_t denominator = 0;
  std::optional<double> Value() const;  // none for a zero denominator
};

std::string FormatAperture(TRational f_number);
std::string FormatExposureTime(TRational seconds);
std::string FormatFocalLength(TRational millimetres);
std::string FormatIso(int64_t iso);
// From an EXIF date and time, "YYYY:MM:DD HH:MM:SS": the date as "24.05.2023", the time as
// "13:36".
std::string FormatDate(std::string_view exif_date_time);
std::string FormatTime(std::string_view exif_date_time);
// The same moment as "2023-05-24 13:36:17", text that sorts by time (seconds 0 when the camera
// wrote none); none when it is no real moment, as for FormatDate.
[[nodiscard]] std::optional<std::string> SortableDateTime(std::string_view exif_date_time);
// The maker and the model, the maker left out when the model names it already.
std::string FormatCamera(std::string_view make, std::string_view model);
// A name as a camera wrote it (a lens): blanks trimmed and joined, empty when absurd.
std::string FormatName(std::string_view name);
// A name as the metadata library reads it out of a maker's code (a lens from its number): as
// FormatName, and empty when the library knows no single name for the code: "n/a",
// "Unknown ...", "Bad value", the bare number it shows in brackets, "(9999)", or the candidates
// it joins with " | ".
std::string FormatInterpretedName(std::string_view name);
// ISO as the metadata library reads it out of a maker's code ("200"): empty unless a number.
std::string FormatInterpretedIso(std::string_view iso);
// Degrees, minutes and seconds with their reference ("N", "S", "E", "W") as decimal degrees,
// latitude first: "47.376887,8.541694".
std::string FormatGpsPosition(const TRational latitude[3], std::string_view latitude_ref,
                              const TRational longitude[3], std::string_view longitude_ref);

}  // namespace vistrel
