#include <REDudi/system.h>

#include "foundation/platform/facade.h"

namespace REDudi {

static_assert(sizeof(ASharedLibrary) == 2 * sizeof(void*) &&
                  sizeof(ASharedLibrary2) == 2 * sizeof(void*),
              "a shared-library facade is its virtual table and its pointer");

namespace {

using Validity = facade::Shielded<facade::FullTest>;
using Forward = facade::Forwarder<Validity, facade::SwallowAll>;
using Destruction = facade::DeleteGuarded;

// A library from `make`, or null when making it throws.
template <class Make>
auto Shielded(Make make) -> decltype(make()) {
    return facade::SwallowAll::Run(make);
}

} // namespace

ASharedLibrary::ASharedLibrary()
    : library_(Shielded([] { return SharedLibrary::GetNewSharedLibrary(); })) {}

ASharedLibrary::ASharedLibrary(const AFileSpec& spec)
    : library_(Shielded([&spec] { return SharedLibrary::GetNewSharedLibrary(spec); })) {}

ASharedLibrary::~ASharedLibrary() {
    Destruction::Destroy(library_);
}

bool ASharedLibrary::IsValid() const {
    return Validity::Test(library_);
}

bool ASharedLibrary::SetLibraryFileSpec(const AFileSpec& spec) {
    return Forward::Call(library_,
                         [&spec](SharedLibrary* l) { return l->SetLibraryFileSpec(spec); });
}

bool ASharedLibrary::GetLibraryFileSpec(AFileSpec& spec) const {
    return Forward::Call(library_,
                         [&spec](SharedLibrary* l) { return l->GetLibraryFileSpec(spec); });
}

bool ASharedLibrary::Open() {
    return Forward::Call(library_, [](SharedLibrary* l) { return l->Open(); });
}

bool ASharedLibrary::Close() {
    return Forward::Call(library_, [](SharedLibrary* l) { return l->Close(); });
}

void* ASharedLibrary::LookupSymbol(const PString& name) const {
    return Forward::Call(library_, [&name](SharedLibrary* l) { return l->LookupSymbol(name); });
}

bool ASharedLibrary::IsOpen() const {
    return Forward::Call(library_, [](SharedLibrary* l) { return l->IsOpen(); });
}

bool ASharedLibrary::ForceClose(bool all) {
    return Forward::Call(library_, [all](SharedLibrary* l) { return l->ForceClose(all); });
}

ASharedLibrary2::ASharedLibrary2()
    : library_(Shielded([] { return SharedLibrary2::GetNewSharedLibrary(); })) {}

ASharedLibrary2::ASharedLibrary2(const ASimplePath& path)
    : library_(Shielded([&path] { return SharedLibrary2::GetNewSharedLibrary(path); })) {}

ASharedLibrary2::~ASharedLibrary2() {
    Destruction::Destroy(library_);
}

bool ASharedLibrary2::IsValid() const {
    return Validity::Test(library_);
}

bool ASharedLibrary2::SetLibrary(const ASimplePath& path) {
    return Forward::Call(library_, [&path](SharedLibrary2* l) { return l->SetLibrary(path); });
}

bool ASharedLibrary2::GetLibrary(ASimplePath& path) const {
    return Forward::Call(library_, [&path](SharedLibrary2* l) { return l->GetLibrary(path); });
}

bool ASharedLibrary2::Open() {
    return Forward::Call(library_, [](SharedLibrary2* l) { return l->Open(); });
}

bool ASharedLibrary2::Close() {
    return Forward::Call(library_, [](SharedLibrary2* l) { return l->Close(); });
}

void* ASharedLibrary2::LookupSymbol(const PString& name) const {
    return Forward::Call(library_, [&name](SharedLibrary2* l) { return l->LookupSymbol(name); });
}

bool ASharedLibrary2::IsOpen() const {
    return Forward::Call(library_, [](SharedLibrary2* l) { return l->IsOpen(); });
}

bool ASharedLibrary2::ForceClose(bool all) {
    return Forward::Call(library_, [all](SharedLibrary2* l) { return l->ForceClose(all); });
}

} // namespace REDudi
