#pragma once

// The fixed facts of the game, in one place: the game reads them, and so do
// the tools that make and check its data, so the two cannot drift apart.
// They sit below every layer (math, gfx, world, game, the tools), so each can
// read them without reaching up into the layers that use it.

#include <cstdint>

constexpr const char* GAME_NAME = "Terravell";
constexpr const char* GAME_VERSION = "0.1";

// The window, and the one screen the HUD and the frame captures cover.
constexpr int WINDOW_WIDTH = 800;
constexpr int WINDOW_HEIGHT = 600;
constexpr const char* WINDOW_CAPTION = GAME_NAME;
constexpr int HUD_PANEL_HEIGHT = 64;  // the band across the top of the window

// The wedge starts above (START_X, START_Y) and is put back above
// (RESET_X, RESET_Y) after a fall; both times it drops from DROP_HEIGHT, so
// the ground there must be lower.
constexpr float START_X = 50.0f, START_Y = 5.0f;
constexpr float RESET_X = 50.0f, RESET_Y = 50.0f;
constexpr float DROP_HEIGHT = 150.0f;

// Asset names as the game stores them, with a backslash (see AssetPath).
constexpr const char* FONT_ASSET = "Data\\Font.bmp";
constexpr const char* MAP_ASSET = "Data\\map1.raw";
constexpr const char* HUD_PICTURE_ASSET_FORMAT = "Data\\Hud%02dt.bmp";  // panel number
constexpr const char* HUD_MASK_ASSET_FORMAT = "Data\\Hud%02dm.bmp";
constexpr const char* SKY_FACE_ASSET_FORMAT = "Data\\%s%s.bmp";  // sky name, face text
constexpr const char* SKY_NAME = "cliff";
constexpr const char* TERRAIN_TEXTURE_ASSET_FORMAT = "Data\\Tex%04d.bmp";  // texture number
constexpr int SKY_FACE_COUNT = 6;  // their texts are SKY_FACES' (world/SkyBox.h)

// The view: today's projection reaches HAZE_START; a longer view fades
// the land beyond it into haze, out to the map's far edge within the view
// distance. The level of detail keeps every height within the detail's
// pixels of the full grid's.
constexpr double FIELD_OF_VIEW_DEGREES = 90.0;
constexpr double NEAR_PLANE = 0.1;
constexpr float HAZE_START = 1000.0f;
constexpr float DEFAULT_VIEW_DISTANCE = 32768.0f;
constexpr float DEFAULT_DETAIL_PIXELS = 1.5f;

// Free memory the game keeps rather than hands back between frames.
constexpr int FREE_MEMORY_KEPT = 256 << 20;

// Picture sizes the asset tool gives the terrain textures and sky faces.
constexpr int TERRAIN_TEXTURE_SIZE = 256;
constexpr int SKY_FACE_SIZE = 512;

// Far more vertices than any terrain drawn at interactive rates; keeps
// every size product of a map well inside 32 bits.
constexpr uint64_t MAP_MAX_VERTICES = uint64_t(1) << 24;

// The default world's map options.
constexpr uint32_t DEFAULT_MAP_SEED = 7;
constexpr uint32_t DEFAULT_MAP_TILES_ACROSS = 16;
constexpr uint32_t DEFAULT_MAP_TILES_DOWN = 16;
constexpr uint16_t DEFAULT_MAP_SUBDIVISIONS = 8;
constexpr uint16_t DEFAULT_MAP_CELL_SIZE = 8;
constexpr uint16_t DEFAULT_MAP_HEIGHT_SCALE = 180;
constexpr float DEFAULT_MAP_ROUGHNESS = 0.5f;
constexpr uint32_t DEFAULT_MAP_LIGHT_WORD = 0x000001FF;  // sun 45 degrees up (see LightDirFromWord)
