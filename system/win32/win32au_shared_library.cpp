#include "system/win32/win32au_shared_library.h"

#include <new>

namespace REDudi {

namespace {

// A new library that passes the acceptance tests, `accept` among them, or
// null; a refused one is deleted at once.
template <class Implementation, class Interface, class Accept>
Interface* NewAccepted(Accept accept) {
    Interface* library = nullptr;
    try {
        library = new Implementation;
        if (!QV_IsBadCodePtr(library) && library->IsValid() && accept(library))
            return library;
    } catch (const std::bad_alloc&) {
    } catch (...) {
    }
    SafeDelete(library);
    return nullptr;
}

} // namespace

SharedLibrary* SharedLibrary::GetNewSharedLibrary() {
    return NewAccepted<WIN32AU_SharedLibrary, SharedLibrary>([](SharedLibrary*) { return true; });
}

SharedLibrary* SharedLibrary::GetNewSharedLibrary(const AFileSpec& spec) {
    return NewAccepted<WIN32AU_SharedLibrary, SharedLibrary>(
        [&spec](SharedLibrary* library) { return library->SetLibraryFileSpec(spec); });
}

SharedLibrary2* SharedLibrary2::GetNewSharedLibrary() {
    return NewAccepted<WIN32AU_SharedLibrary2, SharedLibrary2>(
        [](SharedLibrary2*) { return true; });
}

SharedLibrary2* SharedLibrary2::GetNewSharedLibrary(const ASimplePath& path) {
    return NewAccepted<WIN32AU_SharedLibrary2, SharedLibrary2>(
        [&path](SharedLibrary2* library) { return library->SetLibrary(path); });
}

} // namespace REDudi
