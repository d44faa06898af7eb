// Writing a book beside its target, then one rename.
#include "book/book_output.h"

#include "base/console.h"
#include "platform/platform.h"

void report_open_failure(const char* file_name) {
    console.print("Impossible d'ouvrir le fichier %s !\n", file_name);
}

int Tbook_output::open(const char* target) {
    abandon();
    target_name = target;
    // A book its owner marked read-only stays as it is, whoever runs the engine.
    if (!platform::file_is_writable(target)) {
        report_open_failure(target);
        return 0;
    }
    FILE* text_file = platform::create_temp_file_near(target, temp_name);
    if (text_file)
        fclose(text_file);
    // Opened again in binary mode: the records must reach the disk byte for byte.
    file = text_file ? fopen(temp_name.c_str(), "wb") : nullptr;
    if (!file) {
        if (text_file)
            platform::remove_file(temp_name.c_str());
        temp_name.clear();
        report_open_failure(target);
        return 0;
    }
    count  = 0;
    failed = false;
    return 1;
}

int Tbook_output::write(const Tbook_record& record) {
    if (!file || failed)
        return 0;
    if (!write_record(file, record)) {
        failed = true;
        return 0;
    }
    ++count;
    return 1;
}

int Tbook_output::commit(bool scratch) {
    if (!file)
        return 0;
    const bool written = !failed && (scratch ? fflush(file) == 0 : platform::sync_file(file) != 0);
    const bool closed  = fclose(file) == 0;
    file               = nullptr;
    if (!written || !closed || !platform::replace_file(temp_name.c_str(), target_name.c_str())) {
        console.print("Error while writing %s\n", target_name.c_str());
        platform::remove_file(temp_name.c_str());
        temp_name.clear();
        return 0;
    }
    temp_name.clear();
    return 1;
}

void Tbook_output::abandon() {
    if (file) {
        fclose(file);
        file = nullptr;
    }
    if (!temp_name.empty()) {
        platform::remove_file(temp_name.c_str());
        temp_name.clear();
    }
}
