# Stand-ins for a timing tool's commands, enough to read a generated constraints
# file: each command refuses options it does not know and pins the primitive does
# not have. Arguments: the constraints file and the instances of its module.
proc options {allowed arguments} {
    set result [dict create target [lindex $arguments end]]
    foreach {key value} [lrange $arguments 0 end-1] {
        if {[lsearch -exact $allowed $key] < 0} { error "unknown option $key" }
        dict set result $key $value
    }
    return $result
}
proc get_cells {args} { return $::cells }
proc get_full_name {object} { return $object }
proc get_ports {name} { if {$name ne "clkin"} { error "no port $name" }; return clkin }
proc get_pins {name} {
    if {![regexp {^([a-z_0-9]+/)?(clkin|mirel_inst/(CLKIN|CLKOUT|CLKOUTP|CLKOUTD|CLKOUTD3))$} $name]} { error "no pin $name" }
    return $name
}
# The primitive's CLKIN pin is on the module's clkin net.
proc net {pin} { regsub {mirel_inst/CLKIN$} $pin clkin pin; return $pin }
proc create_clock {args} {
    set o [options {-name -period} $args]
    set name [dict get $o -name]
    set ::clock([net [dict get $o target]]) $name
    set ::wave($name) [list [dict get $o -period] 0.0 [expr {[dict get $o -period] / 2.0}]]
}
proc create_generated_clock {args} {
    set o [dict merge {-multiply_by 1 -divide_by 1} [options {-name -source -master_clock -multiply_by -divide_by -edges -edge_shift} $args]]
    set master [expr {[dict exists $o -master_clock] ? [dict get $o -master_clock] : $::clock([net [dict get $o -source]])}]
    lassign $::wave($master) period rise fall
    set period [expr {$period * [dict get $o -divide_by] / double([dict get $o -multiply_by])}]
    set name [dict get $o -name]
    set ::clock([dict get $o target]) $name
    set ::wave($name) [list $period 0.0 [expr {$period / 2.0}]]
    if {[dict exists $o -edges]} {
        if {[dict get $o -edges] ne {1 2 3}} { error "edges other than {1 2 3}" }
        lassign [dict get $o -edge_shift] a b c
        set ::wave($name) [list [expr {$period + $c - $a}] [expr {$rise + $a}] [expr {$fall + $b}]]
    }
}
set cells [lindex $argv 1]
source [lindex $argv 0]
foreach name [lsort [array names ::wave]] { puts "CLOCK $name [join $::wave($name)]" }
