#include "world/Player.h"

#include "world/Map.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
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

} // namespace

const WedgeFace WEDGE_FACES[5] = {
    {3, {{-1, 0, 1}, {1, 0, 1}, {0, 5, 1}}},             // top
    {3, {{1, 0, 0}, {-1, 0, 0}, {0, 5, 0}}},             // bottom
    {4, {{1, 0, 0}, {0, 5, 0}, {0, 5, 1}, {1, 0, 1}}},   // right side
    {4, {{-1, 0, 0}, {-1, 0, 1}, {0, 5, 1}, {0, 5, 0}}}, // left side
    {4, {{1, 0, 0}, {1, 0, 1}, {-1, 0, 1}, {-1, 0, 0}}}, // rear
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

Vec3 CPlayer::CameraTranslation() const
{
    float pitch = camera.y * TURN_RADIANS;
    float yaw = camera.x * TURN_RADIANS;
    float distance = camera.z;
    return Vec3(distance * std::sin(pitch) * std::sin(yaw) - position.x,
                distance * std::sin(pitch) * std::cos(yaw) + position.y,
                -position.z - distance * std::cos(pitch));
}

bool CPlayer::ApplyCamera()
{
    glLoadIdentity();
    glRotatef(camera.y * TURN_DEGREES, -1, 0, 0);
    glRotatef(camera.x * TURN_DEGREES, 0, 0, 1);
    map->skyBox.Aim();
    Vec3 t = CameraTranslation();
    glTranslatef(t.x, t.y, t.z);
    map->SetupLight();
    return false;
}
