-- Builds the check session in ardour7-lua: a stereo track holding a bounced sine
-- burst, Moravelle after it with the reverb switched on, then two snapshots:
-- "processed" and "bypassed" (Moravelle's own Bypass parameter set).
-- Arguments arrive as globals set by the caller's preamble: SESSION_DIR.
local function check(ok, what) if not ok then print("FAIL " .. what) os.exit(1) end end

create_session(SESSION_DIR, "moravelle", 48000)
check(Session ~= nil, "session created")
local tracks = Session:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                                       ARDOUR.TrackMode.Normal, true)
local track = tracks:front()

-- The source signal: two seconds of a sine generator, bounced into a region.
local gen = ARDOUR.LuaAPI.new_plugin(Session, "ACE Sine Generator", ARDOUR.PluginType.Lua, "")
if gen:isnil() then gen = ARDOUR.LuaAPI.new_plugin(Session, "SinGen", ARDOUR.PluginType.Lua, "") end
check(not gen:isnil(), "sine generator")
track:add_processor_by_index(gen, 0, nil, true)
local region = track:bounce_range(0, 96000, ARDOUR.InterThreadInfo(), gen, true, "source", false)
check(not region:isnil(), "bounced source")
track:remove_processor(gen, nil, true)
local playlist = track:playlist()
Session:begin_reversible_command("insert region")
playlist:to_stateful():clear_changes()
playlist:add_region(region, Temporal.timepos_t(0), 1, false, 0, 0, false)
Session:add_stateful_diff_command(playlist:to_statefuldestructible())
Session:commit_reversible_command(nil)

local mv = ARDOUR.LuaAPI.new_plugin(Session, "Moravelle", ARDOUR.PluginType.VST3, "")
check(not mv:isnil(), "Moravelle instantiated")
track:add_processor_by_index(mv, 0, nil, true)
local plugin = mv:to_insert():plugin(0)
print("PARAMCOUNT " .. plugin:parameter_count())
for i = 0, plugin:parameter_count() - 1 do
  print("PARAMNAME " .. i .. " " .. plugin:parameter_label(i))
end

-- Ardour's parameter numbers: 0 is Bypass, then the effect's parameters in order.
local settings = { [27] = 1.0, [24] = 0.6, [30] = 0.7, [6] = 0.8, [23] = 0.25 }
for index, value in pairs(settings) do
  check(ARDOUR.LuaAPI.set_processor_param(mv, index, value), "set parameter " .. index)
end
sleep(1)  -- the values reach the plug-in's state only through a process call
for index, value in pairs(settings) do
  print("SET " .. index .. " " .. ARDOUR.LuaAPI.get_processor_param(mv, index, true))
end
Session:save_state("processed", false, false, false, false, false)
check(ARDOUR.LuaAPI.set_processor_param(mv, 0, 1.0), "bypass on")
sleep(1)
Session:save_state("bypassed", false, false, false, false, false)
close_session()
print("BUILT")
