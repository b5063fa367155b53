#pragma once
// A check's own folder, outside the exchange folder, for what a conversion makes: a copy of the
// work table to fill (in_arch\Feladas.dbf stays as it is) and the converted table. It goes with
// everything in it when the object goes.
#include <string>

class CheckFolder {
public:
    // Copies the exchange folder's work table; throws, as a conversion would fail, without it.
    explicit CheckFolder(const std::string& exchangeFolder);
    ~CheckFolder();
    CheckFolder(const CheckFolder&) = delete;
    CheckFolder& operator=(const CheckFolder&) = delete;

    // A host path with a closing slash.
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};
