#include <REDudi/system.h>

namespace REDudi {

// Both families keep their location here and refuse to change it while
// the library is open; the load state lives in the implementation.

SharedLibrary::SharedLibrary() {}

SharedLibrary::SharedLibrary(const SharedLibrary& other) : location_(other.location_) {}

SharedLibrary& SharedLibrary::operator=(const SharedLibrary& other) {
    if (&other != this)
        location_ = other.location_;
    return *this;
}

SharedLibrary::~SharedLibrary() {}

bool SharedLibrary::IsValid() const {
    return location_.IsObjectValid();
}

bool SharedLibrary::SetLibraryFileSpec(const AFileSpec& spec) {
    if (!IsValid() || IsOpen())
        return false;
    if (!spec.IsObjectValid() || !spec.IsFile() || !spec.IsExisting())
        return false;
    location_ = spec;
    return true;
}

bool SharedLibrary::GetLibraryFileSpec(AFileSpec& spec) const {
    if (!IsValid())
        return false;
    spec = location_;
    return true;
}

SharedLibrary2::SharedLibrary2() {}

SharedLibrary2::SharedLibrary2(const SharedLibrary2& other) : location_(other.location_) {}

SharedLibrary2& SharedLibrary2::operator=(const SharedLibrary2& other) {
    if (&other != this)
        location_ = other.location_;
    return *this;
}

SharedLibrary2::~SharedLibrary2() {}

bool SharedLibrary2::IsValid() const {
    return location_.IsObjectValid();
}

bool SharedLibrary2::SetLibrary(const ASimplePath& path) {
    if (!IsValid() || IsOpen())
        return false;
    if (!path.IsObjectValid() || !path.IsFile() || !path.IsExisting())
        return false;
    location_ = path;
    return true;
}

bool SharedLibrary2::GetLibrary(ASimplePath& path) const {
    if (!IsValid())
        return false;
    path = location_;
    return true;
}

} // namespace REDudi
