#include "world/Player.h"

#include "world/Map.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>

namespace {

constexpr float TURN_RADIANS = 6.283186f;
constexpr float TURN_DEGREES = 360.0f;
constexpr float FALL_RESET_DEPTH = -500.0f;
constexpr float FALL_START_SPEED = 0.1f;
constexpr float STOP_SPEED = 0.1f;  // slower components snap to 0
constexpr float MESH_LIFT = 5.0f;   // the wedge floats this far above position

// Moves one horizontal component and lets friction slow it; a component
// slower than STOP_SPEED stops without moving.
void Coast(float& position, float& velocity, float friction)
{
    if (velocity <= -STOP_SPEED || velocity >= STOP_SPEED) {
        position = position + velocity;
        velocity = velocity * friction;
    } else {
        velocity = 0.0f;
    }
}

// The translation that moves the eye of `orbit` around `target` to the
// origin (the target drawn at y negated).
Vec3 OrbitTranslation(const Vec3& orbit, const Vec3& target)
{
    float pitch = orbit.y * TURN_RADIANS;
    float yaw = orbit.x * TURN_RADIANS;
    float distance = orbit.z;
    return Vec3(distance * std::sin(pitch) * std::sin(yaw) - target.x,
                distance * std::sin(pitch) * std::cos(yaw) + target.y, -target.z - distance * std::cos(pitch));
}

// The height of the terrain's triangles at (x, y) of the grid: every cell
// is drawn split from its first corner to the opposite one, which can stand
// well above the bilinear height of GetHeight.
float GroundAsDrawn(const CMap& map, float x, float y)
{
    const float u = x / map.cellSize, v = y / map.cellSize;
    const uint32_t c = std::min(uint32_t(u), map.columns - 2), r = std::min(uint32_t(v), map.rows - 2);
    const float fu = u - float(c), fv = v - float(r);
    auto z = [&map](uint32_t col, uint32_t row) { return map.vertices[3 * (size_t(row) * map.columns + col) + 2]; };
    const float side = fv >= fu ? (fv - fu) * z(c, r + 1) : (fu - fv) * z(c + 1, r);
    return ((1.0f - std::max(fu, fv)) * z(c, r) + std::min(fu, fv) * z(c + 1, r + 1) + side) * map.heightScale;
}

}  // namespace

Vec3 LiftOrbit(const Vec3& camera, float targetZ, float lowestEye)
{
    const float pitch = camera.y * TURN_RADIANS;
    if (targetZ + camera.z * std::cos(pitch) >= lowestEye)
        return camera;
    const float across = camera.z * std::sin(pitch), up = lowestEye - targetZ;
    return Vec3(camera.x, std::atan2(across, up) / TURN_RADIANS, std::hypot(across, up));
}

const WedgeFace WEDGE_FACES[5] = {
    {3, {{-1, 0, 1}, {1, 0, 1}, {0, 5, 1}}},              // top
    {3, {{1, 0, 0}, {-1, 0, 0}, {0, 5, 0}}},              // bottom
    {4, {{1, 0, 0}, {0, 5, 0}, {0, 5, 1}, {1, 0, 1}}},    // right side
    {4, {{-1, 0, 0}, {-1, 0, 1}, {0, 5, 1}, {0, 5, 0}}},  // left side
    {4, {{1, 0, 0}, {1, 0, 1}, {-1, 0, 1}, {-1, 0, 0}}},  // rear
};

CPlayer::~CPlayer()
{
    // After SDL_Quit the GL context, and the list with it, is gone.
    if (meshList != 0 && SDL_WasInit(SDL_INIT_VIDEO))
        glDeleteLists(meshList, 1);
}

bool CPlayer::BuildMesh()
{
    meshList = glGenLists(1);
    glLoadIdentity();
    glNewList(meshList, GL_COMPILE);
    for (GLenum mode : {GLenum(GL_TRIANGLES), GLenum(GL_QUADS)}) {
        glBegin(mode);
        for (const WedgeFace& face : WEDGE_FACES)
            if ((face.cornerCount == 3) == (mode == GL_TRIANGLES))
                for (int c = 0; c < face.cornerCount; ++c)
                    glVertex3f(face.corners[c][0], face.corners[c][1], face.corners[c][2]);
        glEnd();
    }
    glEndList();
    return false;
}

void CPlayer::PlaceStart(float x, float y)
{
    position = Vec3(x, y, DROP_HEIGHT);
    resetX = x;
    resetY = y;
}

bool CPlayer::Update()
{
    if (position.z <= FALL_RESET_DEPTH) {
        flags = 0;
        position = Vec3(resetX, resetY, DROP_HEIGHT);
        velocity.z = 0.0f;
    } else {
        if (velocity.z == 0.0f)
            velocity.z = FALL_START_SPEED;
        position.z = position.z - velocity.z;
        velocity.z = velocity.z * fallFactor;
        // Any point of the grid is ground, height 0 included; off the grid
        // there is none.
        float ground = map->GetHeight(position.x, position.y);
        if (map->Contains(position.x, position.y) && ground >= position.z) {
            velocity.z = 0.0f;
            position.z = ground;
            flags ^= FLAG_LANDING;
        }
    }
    if (flags & FLAG_MOVING) {
        Coast(position.x, velocity.x, friction);
        Coast(position.y, velocity.y, friction);
        if (velocity.x == 0.0f && velocity.y == 0.0f)
            flags &= ~FLAG_MOVING;
    }
    return false;
}

bool CPlayer::Turn(float dHeading, float, float)
{
    rotation.Update(0.0f, 0.0f, dHeading, VEC3_FOLD_XYZ);
    camera.x = -rotation.z;  // the camera stays behind the nose
    return false;
}

bool CPlayer::Accelerate(float amount, float side, float)
{
    if (amount != 0.0f || side != 0.0f)
        flags = FLAG_MOVING;  // an assignment: clears FLAG_LANDING too
    if (amount == 0.0f)
        return true;
    float a = rotation.z * TURN_RADIANS;
    velocity.x = velocity.x + amount * std::sin(a);
    velocity.y = velocity.y + amount * std::cos(a);
    return false;
}

bool CPlayer::Render()
{
    glPushMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glTranslatef(position.x, -position.y, position.z + MESH_LIFT);
    glRotatef(rotation.z * TURN_DEGREES, 0, 0, 1);
    glColor3f(1, 1, 1);
    glDisable(GL_TEXTURE_2D);
    glCallList(meshList);
    glEnable(GL_TEXTURE_2D);
    glPopMatrix();
    return false;
}

Vec3 CPlayer::CameraTranslation() const { return OrbitTranslation(ViewOrbit(), position); }

Vec3 CPlayer::ViewOrbit() const
{
    // Where the camera's orbit puts the eye on the ground plane (y not negated).
    const float across = camera.z * std::sin(camera.y * TURN_RADIANS), yaw = camera.x * TURN_RADIANS;
    const float x = position.x - across * std::sin(yaw), y = position.y + across * std::cos(yaw);
    if (!map || map->columns < 2 || map->rows < 2 || !map->Contains(x, y))
        return camera;  // no ground there
    return LiftOrbit(camera, position.z, GroundAsDrawn(*map, x, y) + CAMERA_CLEARANCE);
}

bool CPlayer::ApplyCamera()
{
    const Vec3 orbit = ViewOrbit();
    glLoadIdentity();
    glRotatef(orbit.y * TURN_DEGREES, -1, 0, 0);
    glRotatef(orbit.x * TURN_DEGREES, 0, 0, 1);
    map->skyBox.Aim();
    Vec3 t = OrbitTranslation(orbit, position);
    glTranslatef(t.x, t.y, t.z);
    map->SetupLight();
    return false;
}
