-- Builds a headless session: a stereo track holding a bounced sine region, with
-- Moravelle inserted and its reverb switched on. Saves the snapshot "processed"
-- and, with the plug-in deactivated, the snapshot "bypassed".
-- Environment: MORAVELLE_SESSION_DIR (created here).
local dir = os.getenv("MORAVELLE_SESSION_DIR")
assert(dir, "MORAVELLE_SESSION_DIR is not set")
AudioEngine:set_backend("None (Dummy)", "", "")
assert(create_session(dir, "processed", 48000), "cannot create the session")

local track = Session:new_audio_track(2, 2, nil, 1, "Signal", ARDOUR.PresentationInfo.max_order,
                                      ARDOUR.TrackMode.Normal, true):front()
-- There is no audio import from Lua: generate one second of sine and bounce it.
local gen = ARDOUR.LuaAPI.new_plugin(Session, "SinGen", ARDOUR.PluginType.Lua, "")
assert(not gen:isnil(), "no SinGen generator")
track:add_processor_by_index(gen, 0, nil, true)
ARDOUR.LuaAPI.usleep(200000)
local region = track:bounce_range(0, 48000, ARDOUR.InterThreadInfo(), track:main_outs(), false, "signal")
assert(not region:isnil(), "bounce failed")
track:remove_processor(gen, nil, true)
-- Inside an "insert region" command, or the session gets no range to export.
local playlist = track:playlist()
Session:begin_reversible_command("insert region")
playlist:to_stateful():clear_changes()
playlist:add_region(region, Temporal.timepos_t(0), 1, false, 0, 0, false)
Session:add_stateful_diff_command(playlist:to_statefuldestructible())
Session:commit_reversible_command(nil)

local proc = ARDOUR.LuaAPI.new_plugin(Session, "Moravelle", ARDOUR.PluginType.LXVST, "")
assert(not proc:isnil(), "Moravelle was not found by Ardour")
track:add_processor_by_index(proc, 0, nil, true)
local plugin = proc:to_insert():plugin(0)
assert(plugin:parameter_count() == 31, "expected 31 parameters, got " .. plugin:parameter_count())
assert(plugin:parameter_label(29) == "ReverbRoomSize", "parameter 29 is " .. plugin:parameter_label(29))

local settings = {[26] = 1.0, [29] = 0.6, [23] = 0.5, [24] = 0.5, [25] = 0.5, [5] = 0.5}
for index, value in pairs(settings) do ARDOUR.LuaAPI.set_processor_param(proc, index, value) end
ARDOUR.LuaAPI.usleep(500000)  -- let the session run before saving
for index, value in pairs(settings) do
  local got = ARDOUR.LuaAPI.get_processor_param(proc, index)
  assert(math.abs(got - value) < 1e-6, "parameter " .. index .. " reads " .. got)
end
assert(Session:save_state("", false, false, false, false, false) == 0, "saving failed")
proc:deactivate()
assert(Session:save_state("bypassed", false, false, false, false, false) == 0, "saving bypassed failed")
close_session()
print("SESSION OK")
