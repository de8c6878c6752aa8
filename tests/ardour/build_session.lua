-- Builds the check session in ardour7-lua: a stereo track holding a bounced sine
-- burst with one plug-in after it, then two snapshots, "processed" and "bypassed".
-- The caller's preamble sets the globals:
--   SESSION_DIR  folder to create the session in
--   PLUGIN_NAME  the plug-in's name as Ardour lists it
--   PLUGIN_TYPE  "VST2" or "VST3"
--   SETTINGS     { [ardour parameter index] = value, ... } set before saving
--   BYPASS       an Ardour parameter index that bypasses the plug-in, or nil to
--                deactivate the insert instead
-- Prints PARAMCOUNT, PARAMNAME and VALUE lines for the caller to check, then BUILT.
local function check(ok, what) if not ok then print("FAIL " .. what) os.exit(1) end end

create_session(SESSION_DIR, "check", 48000)
check(Session ~= nil, "session created")
local track = Session:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                                      ARDOUR.TrackMode.Normal, true):front()

-- There is no audio import from Lua: two seconds of a sine generator, bounced.
local gen = ARDOUR.LuaAPI.new_plugin(Session, "ACE Sine Generator", ARDOUR.PluginType.Lua, "")
if gen:isnil() then gen = ARDOUR.LuaAPI.new_plugin(Session, "SinGen", ARDOUR.PluginType.Lua, "") end
check(not gen:isnil(), "sine generator")
track:add_processor_by_index(gen, 0, nil, true)
local region = track:bounce_range(0, 96000, ARDOUR.InterThreadInfo(), gen, true, "source", false)
check(not region:isnil(), "bounced source")
track:remove_processor(gen, nil, true)
-- Inside an "insert region" command, or the session gets no range to export.
local playlist = track:playlist()
Session:begin_reversible_command("insert region")
playlist:to_stateful():clear_changes()
playlist:add_region(region, Temporal.timepos_t(0), 1, false, 0, 0, false)
Session:add_stateful_diff_command(playlist:to_statefuldestructible())
Session:commit_reversible_command(nil)

local types = { VST2 = ARDOUR.PluginType.LXVST, VST3 = ARDOUR.PluginType.VST3 }
check(types[PLUGIN_TYPE] ~= nil, "plug-in type " .. tostring(PLUGIN_TYPE))
local proc = ARDOUR.LuaAPI.new_plugin(Session, PLUGIN_NAME, types[PLUGIN_TYPE], "")
check(not proc:isnil(), PLUGIN_NAME .. " instantiated")
track:add_processor_by_index(proc, 0, nil, true)
local plugin = proc:to_insert():plugin(0)
local count = plugin:parameter_count()
print("PARAMCOUNT " .. count)
for i = 0, count - 1 do print("PARAMNAME " .. i .. " " .. plugin:parameter_label(i)) end

for index, value in pairs(SETTINGS) do
  check(ARDOUR.LuaAPI.set_processor_param(proc, index, value), "set parameter " .. index)
end
-- A VST3 plug-in's state takes the values only through a process call.
ARDOUR.LuaAPI.usleep(1000000)
for i = 0, count - 1 do print("VALUE " .. i .. " " .. ARDOUR.LuaAPI.get_processor_param(proc, i, true)) end
check(Session:save_state("processed", false, false, false, false, false) == 0, "saving processed")

if BYPASS then
  check(ARDOUR.LuaAPI.set_processor_param(proc, BYPASS, 1.0), "bypass on")
  ARDOUR.LuaAPI.usleep(1000000)
else
  proc:deactivate()
end
check(Session:save_state("bypassed", false, false, false, false, false) == 0, "saving bypassed")
close_session()
print("BUILT")
