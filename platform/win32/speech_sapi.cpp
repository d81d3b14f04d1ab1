// Speech with the system's own voices (SAPI 5, ISpVoice), synthesized into
// memory on a thread of its own and played with PlaySoundA from there, as
// the dings are. The voice: the default one (Settings, Speech) when it
// speaks the language, otherwise the first installed voice that does.
// PlaySoundA cannot say when a sound ends, so a phrase is offered with
// SND_NOSTOP until nothing plays any more (3 s at most).
#include "platform.h"

#include <initguid.h>
#include <sapi.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// SAPI's format identifier of a WAVEFORMATEX stream.
const GUID kWaveFormatEx = {0xc31adbae, 0x527f, 0x4ff5, {0xa2, 0x30, 0xf6, 0x2b, 0xb6, 0x1f, 0xf7, 0x0c}};
constexpr DWORD kRate = 22050;
constexpr int kOfferMs = 20;
constexpr size_t kWavHeaderBytes = 44;
constexpr int kOfferFor = 3000 / kOfferMs;

struct Phrase {
    std::string text;
    std::vector<char> wav;
    bool ready = false;
    bool wanted = false;
};

// Never destroyed: the speech thread uses them until the process ends.
struct Shared {
    std::mutex mutex;
    std::condition_variable work;
    std::map<int, Phrase> phrases;
    std::deque<int> toSynthesize;
    std::deque<std::vector<char>> toPlay;
    std::deque<std::vector<char>> played;  // PlaySoundA reads them while they play
    int nextPhrase = 0;
};
Shared& shared = *new Shared;

std::wstring wide(const std::string& text)
{
    UINT page = CP_UTF8;
    int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0);
    if (n <= 0) page = CP_ACP, n = MultiByteToWideChar(page, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(page, 0, text.c_str(), -1, &out[0], n);
    return out;
}

std::wstring tokenId(ISpObjectToken* token)
{
    LPWSTR id = nullptr;
    std::wstring out;
    if (token && SUCCEEDED(token->GetId(&id)) && id) out = id;
    CoTaskMemFree(id);
    return out;
}

// The default voice when it speaks the language (a Windows language id in
// hex: 407 German, 409 English), else the first that does.
bool chooseVoice(ISpVoice* voice, const char* language)
{
    const wchar_t* wanted = strcmp(language, "de") == 0 ? L"Language=407" : L"Language=409";
    ISpObjectTokenCategory* category = nullptr;
    IEnumSpObjectTokens* tokens = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                                reinterpret_cast<void**>(&category))))
        return false;
    bool found = SUCCEEDED(category->SetId(SPCAT_VOICES, FALSE)) &&
                 SUCCEEDED(category->EnumTokens(wanted, nullptr, &tokens)) && tokens;
    category->Release();
    if (!found) return false;
    ISpObjectToken* current = nullptr;
    voice->GetVoice(&current);
    std::wstring currentId = tokenId(current);
    if (current) current->Release();
    ISpObjectToken* first = nullptr;
    ISpObjectToken* token = nullptr;
    bool isDefault = false;
    while (!isDefault && tokens->Next(1, &token, nullptr) == S_OK) {
        isDefault = tokenId(token) == currentId;
        if (!first) first = token;
        else if (!isDefault) token->Release();
    }
    tokens->Release();
    if (!first) return false;
    if (!isDefault) voice->SetVoice(first);
    if (token && token != first) token->Release();
    first->Release();
    return true;
}

// The phrase as a WAV file in memory, for PlaySoundA's SND_MEMORY.
std::vector<char> synthesize(ISpVoice* voice, const std::string& text)
{
    std::vector<char> wav;
    IStream* memory = nullptr;
    ISpStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &memory))) return wav;
    if (SUCCEEDED(CoCreateInstance(CLSID_SpStream, nullptr, CLSCTX_ALL, IID_ISpStream, reinterpret_cast<void**>(&stream)))) {
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
        if (SUCCEEDED(stream->SetBaseStream(memory, kWaveFormatEx, &format)) && SUCCEEDED(voice->SetOutput(stream, FALSE)) &&
            SUCCEEDED(voice->Speak(wide(text).c_str(), SPF_DEFAULT | SPF_IS_NOT_XML, nullptr))) {
            STATSTG stat{};
            HGLOBAL global = nullptr;
            if (SUCCEEDED(memory->Stat(&stat, STATFLAG_NONAME)) && SUCCEEDED(GetHGlobalFromStream(memory, &global))) {
                DWORD bytes = static_cast<DWORD>(stat.cbSize.QuadPart);
                const DWORD header[] = {0x46464952, 36 + bytes, 0x45564157, 0x20746d66, 16, 0x00010001, kRate, kRate * 2,
                                        0x00100002, 0x61746164, bytes};  // RIFF, WAVE, fmt: PCM mono 16 bit, data
                wav.resize(sizeof header + bytes);
                memcpy(wav.data(), header, sizeof header);
                memcpy(wav.data() + sizeof header, GlobalLock(global), bytes);
                GlobalUnlock(global);
            }
        }
        voice->SetOutput(nullptr, FALSE);
        stream->Release();
    }
    memory->Release();
    return wav;
}

// Offers the phrase until nothing else plays; false once a newer one waits.
void offer(std::vector<char>& wav)
{
    if (wav.size() <= kWavHeaderBytes) return;  // PlaySoundA would take an empty one for "stop"
    for (int i = 0; i < kOfferFor; ++i) {
        if (PlaySoundA(wav.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_NOSTOP)) {
            shared.played.push_back(std::move(wav));
            if (shared.played.size() > 2) shared.played.pop_front();
            return;
        }
        std::unique_lock<std::mutex> lock(shared.mutex);
        if (shared.work.wait_for(lock, std::chrono::milliseconds(kOfferMs), [] { return !shared.toPlay.empty(); })) return;
    }
}

void speechThread(std::string language, std::promise<std::string> started)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ISpVoice* voice = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&voice))))
        return started.set_value("Windows speech (SAPI 5) cannot start");
    if (!chooseVoice(voice, language.c_str())) return started.set_value("Windows has no voice for " + language);
    // A voice whose engine is missing or broken gives no samples: better said now than silence later.
    if (synthesize(voice, "1").size() <= kWavHeaderBytes)
        return started.set_value("the Windows voice for " + language + " gives no sound");
    started.set_value("");
    for (;;) {
        std::unique_lock<std::mutex> lock(shared.mutex);
        shared.work.wait(lock, [] { return !shared.toSynthesize.empty() || !shared.toPlay.empty(); });
        if (!shared.toPlay.empty()) {
            std::vector<char> wav = std::move(shared.toPlay.front());
            shared.toPlay.pop_front();
            lock.unlock();
            offer(wav);
            continue;
        }
        int id = shared.toSynthesize.front();
        shared.toSynthesize.pop_front();
        auto p = shared.phrases.find(id);
        if (p == shared.phrases.end()) continue;
        std::string text = p->second.text;
        lock.unlock();
        std::vector<char> wav = synthesize(voice, text);
        lock.lock();
        p = shared.phrases.find(id);
        if (p == shared.phrases.end()) continue;
        p->second.wav = std::move(wav);
        p->second.ready = true;
        if (p->second.wanted) {
            shared.toPlay.push_back(std::move(p->second.wav));
            shared.phrases.erase(p);
        }
    }
}

}  // namespace

bool speechStart(const char* language, char* why, int size)
{
    std::promise<std::string> started;
    std::future<std::string> result = started.get_future();
    std::thread(speechThread, std::string(language), std::move(started)).detach();
    std::string failure = result.get();
    snprintf(why, static_cast<size_t>(size), "%s", failure.c_str());
    return failure.empty();
}

int speechPrepare(const char* text)
{
    std::lock_guard<std::mutex> lock(shared.mutex);
    int id = shared.nextPhrase++;
    shared.phrases[id].text = text;
    shared.toSynthesize.push_back(id);
    shared.work.notify_one();
    return id;
}

void speechPlay(int phrase)
{
    static const bool trace = getenv("POIGUARD_SOUND_TRACE") != nullptr;
    std::lock_guard<std::mutex> lock(shared.mutex);
    auto p = shared.phrases.find(phrase);
    if (p == shared.phrases.end()) return;
    if (trace) fprintf(stderr, "(speech: %s)\n", p->second.text.c_str());
    if (!p->second.ready) {
        p->second.wanted = true;
        return;
    }
    shared.toPlay.push_back(std::move(p->second.wav));
    shared.phrases.erase(p);
    shared.work.notify_one();
}

void speechForget(int phrase)
{
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.phrases.erase(phrase);
}
