// Realistic values for a brokerage's back office: Indian names, cities, banks, PANs, phone
// numbers, depository ids and amounts. Deterministic for a given seed, so that two databases
// seeded alike are alike.
#pragma once

#include <cstdint>
#include <iterator>
#include <random>
#include <string>

namespace oms
{

class SampleData
{
public:
    struct Person
    {
        std::string first;
        std::string last;
        std::string gender; // "Male" or "Female"
        std::string Full() const { return first + " " + last; }
    };
    struct City
    {
        const char* name;
        const char* state;
        const char* pin; // the first three digits of its PIN codes
        const char* std; // its telephone code
    };
    struct Bank
    {
        const char* name;
        const char* ifsc; // the four letters of its IFSC codes
    };

    explicit SampleData(std::uint32_t seed) : m_random(seed) {}

    int Between(int low, int high);
    bool Chance(int percent);
    template <typename Range> const auto& Pick(const Range& items)
    {
        return items[static_cast<std::size_t>(Between(0, static_cast<int>(std::size(items)) - 1))];
    }
    std::string Digits(int count);
    std::string Letters(int count);

    Person NewPerson();
    const City& CityNamed(const std::string& name);
    const City& AnyCity();
    const Bank& AnyBank();
    std::string Email(const Person& person, const std::string& domain);
    std::string Mobile();
    std::string Landline(const City& city);
    std::string Address(const City& city);
    std::string Pin(const City& city);
    std::string Pan(const Person& person, char holder = 'P');
    // YYYY-MM-DD between the two years.
    std::string Date(int fromYear, int toYear);
    std::string Ip();
    std::string Mac();
    std::string BankBranch(const City& city);
    std::string Ifsc(const Bank& bank);
    std::string BankAccount();
    std::string DepositoryAccount();
    std::string Occupation();
    std::string Company();
    // An amount between the bounds in steps, with two decimals ("2500000.00").
    std::string Amount(long long low, long long high, long long step);

    std::mt19937& Engine() { return m_random; }

private:
    std::mt19937 m_random;
};

} // namespace oms
