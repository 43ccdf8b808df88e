// The yardstick for the whole program: the least an SDL2 program must do to
// show the same picture. It opens a window of the maximised client size,
// computes the same points in the same arithmetic, writes each into the
// window surface, presents at up to 60 frames a second while it draws, and
// waits for a line on standard input.
#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>

int main() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Rect usable;
    SDL_GetDisplayUsableBounds(0, &usable);
    const int width = usable.w;
    const int height = usable.h - 23;
    SDL_Window* window =
        SDL_CreateWindow("Minimal plot", usable.x, usable.y, width, height, SDL_WINDOW_SHOWN);
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface) {
        std::fprintf(stderr, "window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_FillRect(surface, nullptr, 0);
    SDL_UpdateWindowSurface(window);
    const std::uint32_t white = SDL_MapRGB(surface->format, 252, 252, 252);
    auto* pixels = static_cast<std::uint8_t*>(surface->pixels);

    std::uint32_t lastPresent = SDL_GetTicks();
    long double mu = 2.718281828459045;
    int column = 1;
    do {
        long double x = 0.5;
        const long double r = std::log(mu);
        for (int i = 0; i < 300; ++i)
            x = (x * r) * (1 - x);
        for (int i = 0; i < 200; ++i) {
            x = (x * r) * (1 - x);
            int row = static_cast<int>(std::nearbyint((1 - x) * 700));
            if (column < width && row >= 0 && row < height)
                reinterpret_cast<std::uint32_t*>(pixels + row * surface->pitch)[column] = white;
        }
        if (SDL_GetTicks() - lastPresent >= 16) {
            SDL_UpdateWindowSurface(window);
            SDL_PumpEvents();
            lastPresent = SDL_GetTicks();
        }
        mu = mu + static_cast<long double>(0.037);
        ++column;
    } while (!(mu >= static_cast<long double>(49.40244910553017)));
    SDL_UpdateWindowSurface(window);

    std::string line;
    std::getline(std::cin, line);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
